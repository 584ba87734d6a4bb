// The smallest real host of the desktop toggle: a hidden window whose 50 ms timer runs the tick, with the last
// desktop taken as 2. The program's own window replaces it.
#include <windows.h>

#include "toggle/desktop_toggle.h"

namespace {

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      deskflip::toggle::handleTimerTick();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = hostWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "deskflipToggleHost";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
  deskflip::toggle::desktopCount = 2;
  deskflip::toggle::currentDesktop = 2;
  SetTimer(window, 1, 50, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return static_cast<int>(message.wParam);
}
