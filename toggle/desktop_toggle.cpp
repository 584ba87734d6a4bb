#include "toggle/desktop_toggle.h"

#include "toggle/key_input.h"
#include "toggle/virtual_keys.h"

namespace deskflip::toggle {

std::int32_t desktopCount = 0;
std::int32_t currentDesktop = 0;

namespace {

// One step of the tracked index, wrapping modulo 2^32 (signed overflow would be undefined).
std::int32_t stepped(std::int32_t index, std::int32_t step) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(index) + static_cast<std::uint32_t>(step));
}

}  // namespace

void handleTimerTick() {
  if (isKeyDown(VK_MBUTTON) == 0) return;
  if (currentDesktop == desktopCount) {
    sendKeyChord(VK_LEFT, VK_LWIN, VK_CONTROL);
    currentDesktop = stepped(currentDesktop, -1);
  } else {
    sendKeyChord(VK_RIGHT, VK_LWIN, VK_CONTROL);
    currentDesktop = stepped(currentDesktop, +1);
  }
}

}  // namespace deskflip::toggle
