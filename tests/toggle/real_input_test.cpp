// The toggle against the platform's own input: the real user32 under Wine, the substitute's input device on Linux.
#include <gtest/gtest.h>

#include <vector>

#include "tests/common/binding_fakes.h"
#include "toggle/desktop_toggle.h"
#include "toggle/key_input.h"
#include "toggle/virtual_keys.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#else
#include "platform/substitute/input_device.h"
#endif

namespace deskflip::toggle {
namespace {

struct SeenKey {
  unsigned virtualKey;
  bool up;
  bool injected;
  bool extended;
  friend bool operator==(const SeenKey&, const SeenKey&) = default;
};

constexpr SeenKey pressed(unsigned key) { return {key, false, true, false}; }
constexpr SeenKey released(unsigned key) { return {key, true, true, false}; }

std::vector<SeenKey> chordOf(unsigned arrow) {
  return {pressed(VK_CONTROL), pressed(VK_LWIN), pressed(arrow), released(VK_CONTROL), released(VK_LWIN),
          released(arrow)};
}

#ifdef _WIN32

// A low-level keyboard hook on a thread of its own that records every key event the system delivers.
class KeyboardObserver {
 public:
  KeyboardObserver() {
    thread_ = std::thread([this] { run(); });
    while (!ready_) std::this_thread::yield();
  }
  ~KeyboardObserver() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }

  // Waits up to two seconds for `count` events.
  std::vector<SeenKey> waitFor(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
      {
        std::lock_guard lock(mutex_);
        if (seen_.size() >= count) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
      const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
      std::lock_guard lock(instance_->mutex_);
      instance_->seen_.push_back({static_cast<unsigned>(event->vkCode), (event->flags & LLKHF_UP) != 0,
                                  (event->flags & LLKHF_INJECTED) != 0, (event->flags & LLKHF_EXTENDED) != 0});
      (void)wParam;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  void run() {
    instance_ = this;
    threadId_ = GetCurrentThreadId();
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before anyone posts to it
    HHOOK handle = SetWindowsHookExA(WH_KEYBOARD_LL, &hook, GetModuleHandleA(nullptr), 0);
    ready_ = true;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    if (handle != nullptr) UnhookWindowsHookEx(handle);
  }

  static inline KeyboardObserver* instance_ = nullptr;
  std::thread thread_;
  std::atomic<bool> ready_{false};
  DWORD threadId_ = 0;
  std::mutex mutex_;
  std::vector<SeenKey> seen_;
};

TEST(RealInput, ChordReachesTheSystemInPressOrderInjectedAndNotExtended) {
  testing::BindingReset reset;
  KeyboardObserver observer;
  sendKeyChord(VK_LEFT, VK_LWIN, VK_CONTROL);
  EXPECT_EQ(observer.waitFor(6), chordOf(VK_LEFT));
}

TEST(RealInput, TicksWithTheButtonDownAlternateLeftRightLeft) {
  testing::BindingReset reset;
  testing::ScopedBindingOverride buttonDown(runtime::Binding::GetKeyState,
                                            [](std::span<const Word>) -> Word { return 0xFF81; });
  KeyboardObserver observer;
  desktopCount = currentDesktop = 2;
  for (int i = 0; i < 3; ++i) handleTimerTick();

  std::vector<SeenKey> expected = chordOf(VK_LEFT);
  for (unsigned arrow : {VK_RIGHT, VK_LEFT}) {
    const std::vector<SeenKey> chord = chordOf(arrow);
    expected.insert(expected.end(), chord.begin(), chord.end());
  }
  EXPECT_EQ(observer.waitFor(18), expected);
  EXPECT_EQ(currentDesktop, 1);
}

TEST(RealInput, ReleasedMiddleButtonReadsUp) {
  testing::BindingReset reset;
  EXPECT_EQ(isKeyDown(VK_MBUTTON), 0);
}

#else

std::vector<SeenKey> seenBySubstitute() {
  std::vector<SeenKey> seen;
  for (const substitute::KeyEvent& event : substitute::sentKeyEvents()) {
    EXPECT_EQ(event.scanCode, 0);
    EXPECT_EQ(event.extraInfo, 0u);
    // keybd_event has no injected flag of its own; everything it receives is injected.
    seen.push_back({event.virtualKey, (event.flags & KEYEVENTF_KEYUP) != 0, true, (event.flags & 1U) != 0});
  }
  return seen;
}

TEST(RealInput, TicksReachTheSubstituteDeviceThroughTheBindings) {
  testing::BindingReset reset;
  substitute::resetInputDevice();
  desktopCount = currentDesktop = 2;

  substitute::setKeyState(VK_MBUTTON, static_cast<std::int16_t>(0xFF81));
  handleTimerTick();
  handleTimerTick();
  substitute::setKeyState(VK_MBUTTON, 1);
  handleTimerTick();

  std::vector<SeenKey> expected = chordOf(VK_LEFT);
  const std::vector<SeenKey> right = chordOf(VK_RIGHT);
  expected.insert(expected.end(), right.begin(), right.end());
  EXPECT_EQ(seenBySubstitute(), expected);
  EXPECT_EQ(currentDesktop, 2);
}

#endif

}  // namespace
}  // namespace deskflip::toggle
