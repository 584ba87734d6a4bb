// keyboard_observer LOGFILE [STOPFILE]
//
// Watches every keyboard event of the desktop through a low-level keyboard hook in its own process and appends
// one line per event to LOGFILE, flushed at once so a script can follow it:
//
//   <vk in hex, two digits> <down|up> <injected|physical> <extended|normal>
//
// The first line is "ready", written once the hook is in place. The observer runs until it is killed, or until
// STOPFILE exists (checked ten times a second).
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

std::FILE* logFile = nullptr;

LRESULT CALLBACK observeKey(int code, WPARAM message, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    std::fprintf(logFile, "%02lx %s %s %s\n", static_cast<unsigned long>(event->vkCode), down ? "down" : "up",
                 (event->flags & LLKHF_INJECTED) ? "injected" : "physical",
                 (event->flags & LLKHF_EXTENDED) ? "extended" : "normal");
    std::fflush(logFile);
  }
  return CallNextHookEx(nullptr, code, message, lParam);
}

// Owns the hook so it is removed on every way out of main.
class KeyboardHook {
 public:
  KeyboardHook() : hook_(SetWindowsHookExW(WH_KEYBOARD_LL, observeKey, GetModuleHandleW(nullptr), 0)) {}
  ~KeyboardHook() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;
  explicit operator bool() const { return hook_ != nullptr; }

 private:
  HHOOK hook_;
};

bool fileExists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: keyboard_observer LOGFILE [STOPFILE]\n", stderr);
    return 2;
  }
  const wchar_t* stopFile = argc > 2 ? argv[2] : nullptr;
  logFile = _wfopen(argv[1], L"wb");
  if (logFile == nullptr) {
    std::fputs("keyboard_observer: cannot open the log file\n", stderr);
    return 1;
  }
  int exitCode = 0;
  {
    KeyboardHook hook;
    if (!hook) {
      std::fputs("keyboard_observer: cannot install the keyboard hook\n", stderr);
      exitCode = 1;
    } else {
      std::fputs("ready\n", logFile);
      std::fflush(logFile);
      // The hook is called from this thread's message loop; the timer wakes it to look for the stop file.
      SetTimer(nullptr, 0, 100, nullptr);
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && stopFile != nullptr && fileExists(stopFile)) break;
        DispatchMessageW(&message);
      }
    }
  }
  std::fclose(logFile);
  return exitCode;
}
