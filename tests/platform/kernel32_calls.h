#pragma once
// The bound functions called by name, through the program's bindings.
#include <cstdint>

#include "runtime/bindings.h"

namespace deskflip::testing {

template <class... Args>
Word kernel32(runtime::Binding binding, Args... arguments) {
  return runtime::callPlatformFunction(binding, arguments...);
}

// A BOOL result: its low 32 bits.
inline bool succeeded(Word result) { return static_cast<std::uint32_t>(result) != 0; }

inline std::uint32_t lastError() {
  return static_cast<std::uint32_t>(runtime::callPlatformFunction(runtime::Binding::GetLastError));
}

inline constexpr std::uint32_t kHeapNoSerialize = 0x1;
inline constexpr std::uint32_t kHeapZeroMemory = 0x8;
inline constexpr std::uint32_t kHeapReallocInPlaceOnly = 0x10;
inline constexpr Word kSizeFailure = ~Word{0};

}  // namespace deskflip::testing
