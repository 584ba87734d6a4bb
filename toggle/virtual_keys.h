#pragma once
#include <cstdint>

namespace deskflip::toggle {

// Windows virtual-key codes and keybd_event flags the toggle uses.
inline constexpr std::int32_t VK_MBUTTON = 0x04;
inline constexpr std::int32_t VK_CONTROL = 0x11;
inline constexpr std::int32_t VK_LEFT = 0x25;
inline constexpr std::int32_t VK_RIGHT = 0x27;
inline constexpr std::int32_t VK_LWIN = 0x5B;
inline constexpr std::uint32_t KEYEVENTF_KEYUP = 0x0002;

}  // namespace deskflip::toggle
