#include "platform/substitute/input_device.h"

#include <array>

#include "platform/substitute/libraries.h"

namespace deskflip::substitute {
namespace {

struct InputDevice {
  std::array<std::int16_t, 256> keyStates{};
  std::vector<KeyEvent> events;
};

InputDevice& device() {
  static InputDevice instance;
  return instance;
}

}  // namespace

void setKeyState(int virtualKey, std::int16_t state) { device().keyStates.at(static_cast<std::size_t>(virtualKey)) = state; }

const std::vector<KeyEvent>& sentKeyEvents() { return device().events; }

void resetInputDevice() { device() = InputDevice{}; }

std::int16_t GetKeyState(std::int32_t virtualKey) {
  // Like the real one, only the low byte names the key.
  return device().keyStates[static_cast<std::uint8_t>(virtualKey)];
}

void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags, std::uintptr_t extraInfo) {
  device().events.push_back({virtualKey, scanCode, flags, extraInfo});
}

std::span<const SubstituteFunction> user32Functions() {
  static constexpr SubstituteFunction kFunctions[] = {
      {"GetKeyState", &entry<&GetKeyState>},
      {"keybd_event", &entry<&keybd_event>},
  };
  return kFunctions;
}

}  // namespace deskflip::substitute
