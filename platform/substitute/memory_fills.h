#pragma once
// The substitute's memory fills and moves.
#include <cstdint>

#include "runtime/word.h"

namespace deskflip::substitute {

// The functions as the program's bindings reach them, arguments in the real functions' order.
void RtlFillMemory(void* destination, Word length, std::uint8_t fill);
// Source and destination may overlap.
void RtlMoveMemory(void* destination, const void* source, Word length);
void RtlZeroMemory(void* destination, Word length);

}  // namespace deskflip::substitute
