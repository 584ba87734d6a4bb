#include "platform/substitute/memory_fills.h"

#include <cstring>

namespace deskflip::substitute {

// A length of 0 touches nothing, whatever the addresses (the C functions would want valid ones even then).
void RtlFillMemory(void* destination, Word length, std::uint8_t fill) {
  if (length != 0) std::memset(destination, fill, length);
}

void RtlMoveMemory(void* destination, const void* source, Word length) {
  if (length != 0) std::memmove(destination, source, length);
}

void RtlZeroMemory(void* destination, Word length) {
  if (length != 0) std::memset(destination, 0, length);
}

}  // namespace deskflip::substitute
