#include "toggle/key_input.h"

#include "runtime/bindings.h"
#include "toggle/virtual_keys.h"

namespace deskflip::toggle {
namespace {

using runtime::Binding;
using runtime::callPlatformFunction;

constexpr std::int32_t kPressedBitPosition = 15;  // the bit of value 0x4000

void sendKeyEvent(std::int32_t virtualKey, std::uint32_t flags) {
  callPlatformFunction(Binding::keybd_event, static_cast<std::uint8_t>(virtualKey), std::uint8_t{0}, flags,
                       std::uintptr_t{0});
}

}  // namespace

std::int32_t testBit(std::int64_t value, std::int32_t position) {
  if (position > 64) return 0;
  const int bit = position <= 1 ? 0 : position - 1;
  return static_cast<std::int32_t>((static_cast<std::uint64_t>(value) >> bit) & 1U);
}

std::int32_t isKeyDown(std::int32_t virtualKey) {
  const auto state = static_cast<std::int16_t>(callPlatformFunction(Binding::GetKeyState, virtualKey));
  return testBit(std::int64_t{state}, kPressedBitPosition);
}

void sendKeyChord(std::int32_t key, std::int32_t modifier1, std::int32_t modifier2, std::int32_t modifier3) {
  if (modifier3 != 0) sendKeyEvent(modifier3, 0);
  if (modifier2 != 0) sendKeyEvent(modifier2, 0);
  sendKeyEvent(modifier1, 0);
  sendKeyEvent(key, 0);
  if (modifier3 != 0) sendKeyEvent(modifier3, KEYEVENTF_KEYUP);
  if (modifier2 != 0) sendKeyEvent(modifier2, KEYEVENTF_KEYUP);
  sendKeyEvent(modifier1, KEYEVENTF_KEYUP);
  sendKeyEvent(key, KEYEVENTF_KEYUP);
}

}  // namespace deskflip::toggle
