#pragma once
#include <cstdint>

namespace deskflip::substitute {

// The calling thread's last-error code, as the substitute's functions leave it.
std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

// The codes the substitute's functions leave, with their Win32 values.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;

}  // namespace deskflip::substitute
