#pragma once
// The heart of the program: on every timer tick at which the middle mouse button is down, switch to the
// neighbouring virtual desktop, alternating left and right, and track where the user is.
#include <cstdint>

namespace deskflip::toggle {

// The number of the last virtual desktop, as the start click read it from the window.
extern std::int32_t desktopCount;
// The desktop the program believes is shown; equal to desktopCount right after a start click.
extern std::int32_t currentDesktop;

// The timer's periodic handler. Button up: nothing. Button down: Ctrl+Win+Left when currentDesktop equals
// desktopCount (then one lower), otherwise Ctrl+Win+Right (then one higher); the count wraps at the ends of the
// 32-bit range.
void handleTimerTick();

}  // namespace deskflip::toggle
