// The real window under Win32: how it is built, where it stands, its controls, the spin control, Esc, the tray
// icon, and a second launch of the program.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_texts.h"
#include "app/main_window.h"
#include "runtime/exit_hooks.h"
#include "runtime/program_end.h"
#include "runtime/window_classes_win32.h"
#include "runtime/window_runtime.h"
#include "toggle/desktop_toggle.h"

namespace deskflip::app {
namespace {

constexpr int kFirstControlId = 1000;
constexpr UINT kTrayMessage = WM_APP + 100;

HWND findOwnWindow(const char* className) {
  HWND found = nullptr;
  while ((found = FindWindowExA(nullptr, found, className, nullptr)) != nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(found, &process);
    if (process == GetCurrentProcessId()) return found;
  }
  return nullptr;
}

std::string textOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string classOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The window's rectangle relative to its parent's client area.
RECT clientPlacement(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// True while the window has a tray icon: modifying an icon that is not there fails.
bool hasTrayIcon(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = 100;
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void pumpPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime::resetWindowRuntimeForTesting();
    pumpPendingMessages();
    runtime::setProgramWindows(programWindows());
    runtime::prepareRuntime();
    runtime::loadStartWindow(kMainWindow);
    window_ = findOwnWindow(runtime::kMainWindowClass);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    runtime::applicationShutdown();
    pumpPendingMessages();
    runtime::clearExitHooks();
  }

  HWND control(int unitIndex) { return GetDlgItem(window_, kFirstControlId + unitIndex); }
  HWND edit() { return control(4); }
  HWND spin() {
    HWND child = nullptr;
    while ((child = FindWindowExA(window_, child, UPDOWN_CLASSA, nullptr)) != nullptr) return child;
    return nullptr;
  }

  // One arrow click as the up-down control reports it; the result of the notification.
  LRESULT spinBy(int delta) {
    NMUPDOWN change{};
    change.hdr.hwndFrom = spin();
    change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(spin()));
    change.hdr.code = UDN_DELTAPOS;
    change.iDelta = delta;
    return SendMessageA(window_, WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
  }

  void expectCentred() {
    RECT rect{};
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 365) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 233) / 2);
  }

  HWND window_ = nullptr;
};

TEST_F(RealWindow, IsCentredFixedUntitledTopmostAndOffTheTaskbar) {
  RECT rect{};
  GetWindowRect(window_, &rect);
  EXPECT_EQ(rect.right - rect.left, 365);
  EXPECT_EQ(rect.bottom - rect.top, 233);
  expectCentred();
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_EQ(GetWindowTextLengthA(window_), 0);

  const auto style = static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  const auto exStyle = static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE));
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);

  HWND owner = GetWindow(window_, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_EQ(classOf(owner), runtime::kOwnerWindowClass);
}

TEST_F(RealWindow, ControlsStandWhereTheDescriptionPutsThem) {
  struct Expected {
    int unitIndex;
    const char* className;
    const char* text;
    RECT placement;
  };
  const Expected controls[] = {
      {2, "Button", texts::kStopButtonText, {208, 120, 328, 160}},
      {3, "Button", texts::kStartButtonText, {32, 120, 152, 160}},
      {4, "Edit", "2", {160, 40, 192, 72}},
      {5, "Static", texts::kLabelText, {40, 40, 160, 72}},
  };
  for (const Expected& expected : controls) {
    HWND unit = control(expected.unitIndex);
    ASSERT_NE(unit, nullptr) << expected.unitIndex;
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, classOf(unit).c_str(), -1, expected.className, -1),
              CSTR_EQUAL)
        << classOf(unit);
    EXPECT_EQ(textOf(unit), expected.text) << expected.unitIndex;
    const RECT placement = clientPlacement(unit);
    EXPECT_EQ(placement.left, expected.placement.left) << expected.unitIndex;
    EXPECT_EQ(placement.top, expected.placement.top) << expected.unitIndex;
    EXPECT_EQ(placement.right, expected.placement.right) << expected.unitIndex;
    EXPECT_EQ(placement.bottom, expected.placement.bottom) << expected.unitIndex;
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(unit, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
  }
  EXPECT_EQ(control(1), nullptr);  // the timer has no window

  const auto buttonStyle = static_cast<DWORD>(GetWindowLongA(control(3), GWL_STYLE));
  EXPECT_TRUE(buttonStyle & WS_TABSTOP);
  EXPECT_EQ(buttonStyle & BS_CENTER, static_cast<DWORD>(BS_CENTER));
  EXPECT_EQ(buttonStyle & BS_VCENTER, static_cast<DWORD>(BS_VCENTER));
  const auto editStyle = static_cast<DWORD>(GetWindowLongA(edit(), GWL_STYLE));
  EXPECT_TRUE(editStyle & ES_READONLY);
  EXPECT_TRUE(editStyle & WS_TABSTOP);
  EXPECT_FALSE(editStyle & ES_MULTILINE);
  EXPECT_TRUE(GetWindowLongA(edit(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongA(control(5), GWL_STYLE) & SS_CENTERIMAGE);
  EXPECT_FALSE(GetWindowLongA(control(5), GWL_STYLE) & WS_BORDER);
}

TEST_F(RealWindow, TheSpinControlSitsAgainstTheBoxWithRangeOneToAHundred) {
  ASSERT_NE(spin(), nullptr);
  const RECT placement = clientPlacement(spin());
  EXPECT_EQ(placement.left, 192);
  EXPECT_EQ(placement.top, 40);
  EXPECT_EQ(placement.right - placement.left, 18);
  EXPECT_EQ(placement.bottom - placement.top, 32);
  EXPECT_TRUE(GetWindowLongA(spin(), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  int minimum = 0;
  int maximum = 0;
  SendMessageA(spin(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&minimum), reinterpret_cast<LPARAM>(&maximum));
  EXPECT_EQ(minimum, 1);
  EXPECT_EQ(maximum, 100);
}

TEST_F(RealWindow, SpinArrowsStepAndWrapTheNumber) {
  struct Case {
    const char* from;
    int delta;
    const char* to;
  };
  const Case cases[] = {{"2", +1, "3"}, {"100", +1, "1"}, {"1", -1, "100"}};
  for (const Case& c : cases) {
    SetWindowTextA(edit(), c.from);
    SetFocus(control(3));
    EXPECT_NE(spinBy(c.delta), 0);  // the control's own change is refused
    EXPECT_EQ(textOf(edit()), c.to);
    EXPECT_EQ(GetFocus(), edit());
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, std::string(c.to).size());
  }
}

TEST_F(RealWindow, AClickOnTheUpArrowStepsTheNumber) {
  // The control itself, pressed in its upper half: it reports UDN_DELTAPOS to the window.
  SendMessageA(spin(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(9, 4));
  SendMessageA(spin(), WM_LBUTTONUP, 0, MAKELPARAM(9, 4));
  EXPECT_EQ(textOf(edit()), "3");
}

TEST_F(RealWindow, TypingIntoTheBoxChangesNothing) {
  SetFocus(edit());
  SendMessageA(edit(), WM_CHAR, '5', 0);
  SendMessageA(edit(), WM_CHAR, VK_BACK, 0);
  SendMessageA(edit(), WM_PASTE, 0, 0);
  EXPECT_EQ(textOf(edit()), "2");
}

TEST_F(RealWindow, TheReadOnlyBoxIsBlackOnWhite) {
  HDC context = GetDC(edit());
  const auto brush = reinterpret_cast<HGDIOBJ>(
      SendMessageA(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(edit())));
  EXPECT_EQ(brush, GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetBkColor(context), RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(context), RGB(0, 0, 0));
  ReleaseDC(edit(), context);
}

TEST_F(RealWindow, TheTrayIconIsThereUntilTheWindowGoes) {
  EXPECT_TRUE(hasTrayIcon(window_));
  runtime::applicationShutdown();
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_FALSE(hasTrayIcon(window_));
}

TEST_F(RealWindow, StartHidesTrayClickShowsCentredAgain) {
  SendMessageA(control(3), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(window_));
  EXPECT_EQ(toggle::desktopCount, 2);
  SetWindowPos(window_, nullptr, 3, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(window_, kTrayMessage, 100, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(window_));
  expectCentred();
  SendMessageA(control(2), BM_CLICK, 0, 0);
}

TEST_F(RealWindow, TrayClickRestoresAMinimisedWindowAndCentresIt) {
  ShowWindow(window_, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window_));
  SendMessageA(window_, kTrayMessage, 100, WM_LBUTTONUP);
  EXPECT_FALSE(IsIconic(window_));
  expectCentred();
}

TEST_F(RealWindow, ARestartedTaskbarGetsTheIconBack) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window_;
  data.uID = 100;
  Shell_NotifyIconA(NIM_DELETE, &data);  // as if the taskbar had gone with it
  ASSERT_FALSE(hasTrayIcon(window_));
  SendMessageA(window_, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(hasTrayIcon(window_));
}

TEST_F(RealWindow, EscInTheBoxClosesTheWindowAndEndsTheLoop) {
  SendMessageA(control(3), BM_CLICK, 0, 0);  // the timer runs
  ShowWindow(window_, SW_SHOW);
  SetFocus(edit());
  PostMessageA(edit(), WM_KEYDOWN, VK_ESCAPE, 0);
  runtime::runMessageLoop();
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(runtime::quitCode(), 0);
  EXPECT_FALSE(hasTrayIcon(window_));
}

// The program itself, launched as the user would: a second launch shows the first one's window and ends.
class SecondLaunch : public ::testing::Test {
 protected:
  static std::string programPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder + "..\\..\\deskflip.exe";
  }
  static HANDLE launch() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + programPath() + "\"";
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
  }
  static HWND waitForWindow(HANDLE process) {
    const DWORD processId = GetProcessId(process);
    for (int attempt = 0; attempt < 200; ++attempt) {
      HWND found = nullptr;
      while ((found = FindWindowExA(nullptr, found, runtime::kMainWindowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == processId && IsWindowVisible(found)) return found;
      }
      Sleep(50);
    }
    return nullptr;
  }
};

TEST_F(SecondLaunch, ShowsTheRunningWindowCentredAndEndsWithZero) {
  HANDLE first = launch();
  ASSERT_NE(first, nullptr) << programPath();
  HWND window = waitForWindow(first);
  ASSERT_NE(window, nullptr);
  SendMessageA(GetDlgItem(window, kFirstControlId + 3), BM_CLICK, 0, 0);  // start: the window hides
  ASSERT_FALSE(IsWindowVisible(window));

  HANDLE second = launch();
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(WaitForSingleObject(second, 10000), WAIT_OBJECT_0);
  DWORD secondCode = 1;
  GetExitCodeProcess(second, &secondCode);
  EXPECT_EQ(secondCode, 0u);
  CloseHandle(second);

  EXPECT_EQ(waitForWindow(first), window);  // shown again, by the first program
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 365) / 2);

  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(first, 10000), WAIT_OBJECT_0);
  DWORD firstCode = 1;
  GetExitCodeProcess(first, &firstCode);
  EXPECT_EQ(firstCode, 0u);
  CloseHandle(first);
}

}  // namespace
}  // namespace deskflip::app
