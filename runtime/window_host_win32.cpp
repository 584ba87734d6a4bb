// One running program per session: a second launch brings the first one's window forward and ends.
#include <windows.h>

#include "runtime/window_classes_win32.h"
#include "runtime/window_host.h"

namespace deskflip::runtime::backend {
namespace {

constexpr char kRunningMutexName[] = "Local\\deskflip.running";

// Held for the life of the process: while it exists, later launches know this one runs.
class RunningMark {
 public:
  constexpr RunningMark() = default;
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;
  ~RunningMark() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  // True when another process of the program held the mark first.
  bool claim() {
    if (handle_ == nullptr) {
      handle_ = CreateMutexA(nullptr, FALSE, kRunningMutexName);
      alreadyRunning_ = handle_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    return alreadyRunning_;
  }

 private:
  HANDLE handle_ = nullptr;
  bool alreadyRunning_ = false;
};

RunningMark runningMark;

}  // namespace

bool forwardToRunningInstance() {
  if (!runningMark.claim()) return false;
  if (HWND running = FindWindowA(kMainWindowClass, nullptr)) {
    DWORD processId = 0;
    GetWindowThreadProcessId(running, &processId);
    AllowSetForegroundWindow(processId);  // the running program may then take the foreground
    PostMessageA(running, kShowRunningInstanceMessage, 0, 0);
  }
  return true;
}

}  // namespace deskflip::runtime::backend
