#pragma once
// The substitute's keyboard and mouse: key states that tests set, and a log of the key events the program sends.
#include <cstdint>
#include <vector>

namespace deskflip::substitute {

struct KeyEvent {
  std::uint8_t virtualKey;
  std::uint8_t scanCode;
  std::uint32_t flags;
  std::uintptr_t extraInfo;

  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

// What GetKeyState reports for `virtualKey` from now on (0 for every key until set).
void setKeyState(int virtualKey, std::int16_t state);

// Every event keybd_event received, oldest first.
const std::vector<KeyEvent>& sentKeyEvents();

// All keys up, no events logged.
void resetInputDevice();

// The functions as the program's bindings reach them.
std::int16_t GetKeyState(std::int32_t virtualKey);
void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags, std::uintptr_t extraInfo);

}  // namespace deskflip::substitute
