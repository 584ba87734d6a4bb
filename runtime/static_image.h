#pragma once
#include <cstddef>

namespace deskflip::runtime {

// How many bytes from `address` on belong to the loaded program image that holds it (its constant and static
// data), or 0 when the address is not inside a loaded image (heap, stack, null).
std::size_t staticBytesFrom(const void* address);

}  // namespace deskflip::runtime
