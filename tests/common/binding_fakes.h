#pragma once
// Test doubles behind the platform-function bindings, the same on Windows and on Linux.
#include <cstdint>
#include <utility>
#include <vector>

#include "runtime/binding_overrides.h"

namespace deskflip::testing {

// Replaces one binding for the life of the object.
class ScopedBindingOverride {
 public:
  ScopedBindingOverride(runtime::Binding binding, runtime::BindingOverride replacement) : binding_(binding) {
    runtime::setBindingOverride(binding_, std::move(replacement));
  }
  ~ScopedBindingOverride() { runtime::setBindingOverride(binding_, nullptr); }
  ScopedBindingOverride(const ScopedBindingOverride&) = delete;
  ScopedBindingOverride& operator=(const ScopedBindingOverride&) = delete;

 private:
  runtime::Binding binding_;
};

// Clears every override, name change and cached target when a test ends.
struct BindingReset {
  BindingReset() { runtime::resetBindings(); }
  ~BindingReset() { runtime::resetBindings(); }
};

// One keybd_event call as the program made it.
struct KeyCall {
  std::uintptr_t virtualKey;
  std::uintptr_t scanCode;
  std::uintptr_t flags;
  std::uintptr_t extraInfo;
  friend bool operator==(const KeyCall&, const KeyCall&) = default;
};

// A keyboard and mouse behind GetKeyState and keybd_event: key states the test sets, and a log of what was sent.
class FakeInput {
 public:
  FakeInput()
      : keyState_(runtime::Binding::GetKeyState,
                  [this](std::span<const Word> arguments) -> Word {
                    ++stateQueries;
                    return static_cast<Word>(static_cast<std::uint16_t>(states[arguments[0] & 0xFF]));
                  }),
        keyEvent_(runtime::Binding::keybd_event, [this](std::span<const Word> arguments) -> Word {
          sent.push_back({arguments[0], arguments[1], arguments[2], arguments[3]});
          return 0;
        }) {}

  std::uint16_t states[256] = {};
  std::vector<KeyCall> sent;
  int stateQueries = 0;

 private:
  ScopedBindingOverride keyState_;
  ScopedBindingOverride keyEvent_;
};

}  // namespace deskflip::testing
