#pragma once
// Reading a platform function's BOOL result from the word a binding returns.
#include <cstdint>

#include "runtime/word.h"

namespace deskflip::support {

// A BOOL is 32 bits: on x86-64 the upper half of the returned register is not part of the result.
constexpr bool platformSucceeded(Word boolResult) { return static_cast<std::uint32_t>(boolResult) != 0; }

}  // namespace deskflip::support
