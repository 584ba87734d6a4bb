#pragma once
// Handles and addresses of the support module. The module's formats are 32-bit on x86-32; a 64-bit build widens
// only what holds an address or a handle, to the width of a pointer.
#include <cstdint>

#include "runtime/word.h"

namespace deskflip::support {

// A handle or address counts as none when, read as a signed integer of the address width, it is not above zero.
constexpr bool isNone(Word handleOrAddress) { return static_cast<std::intptr_t>(handleOrAddress) <= 0; }

// Flags of the platform's heap functions.
inline constexpr std::uint32_t HEAP_NO_SERIALIZE = 0x1;
inline constexpr std::uint32_t HEAP_ZERO_MEMORY = 0x8;

}  // namespace deskflip::support
