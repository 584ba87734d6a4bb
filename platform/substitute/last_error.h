#pragma once
#include <cstdint>

namespace deskflip::substitute {

// The calling thread's last-error code, as the substitute's functions leave it.
std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

}  // namespace deskflip::substitute
