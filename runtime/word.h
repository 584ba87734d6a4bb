#pragma once
#include <cstdint>

namespace deskflip {

// One machine word: how an argument or a result travels through a platform-function binding.
using Word = std::uintptr_t;

}  // namespace deskflip
