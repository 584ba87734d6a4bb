#pragma once
// The substitute's critical sections: re-entrant locks that spin up to their spin count before they block. The
// program gives each one a block of kCriticalSectionSize bytes, the size of an x86-64 CRITICAL_SECTION; the lock's
// state lives behind that block, which holds the address of the state.
#include <cstddef>
#include <cstdint>

#include "runtime/word.h"

namespace deskflip::substitute {

inline constexpr std::size_t kCriticalSectionSize = 40;

// The functions as the program's bindings reach them. `section` is the address of the program's block.
std::int32_t InitializeCriticalSectionAndSpinCount(Word section, std::uint32_t spinCount);
// The previous spin count.
std::uint32_t SetCriticalSectionSpinCount(Word section, std::uint32_t spinCount);
void EnterCriticalSection(Word section);
void LeaveCriticalSection(Word section);
std::int32_t TryEnterCriticalSection(Word section);
void DeleteCriticalSection(Word section);

}  // namespace deskflip::substitute
