// window_probe COMMAND [ARGS]
//
// Reports, as key=value lines on stdout (UTF-8, plain "\n"), what a user of the desktop would see of a program's
// windows under Wine. The end-to-end scripts read these facts and drive the program with real X input.
//
//   window_probe main EXE       the main window of the process whose image is EXE (e.g. deskflip.exe): the
//                               process's top-level window with the most child controls. Exit code 1 when the
//                               process has no such window.
//   window_probe dialog EXE     the message box (class #32770) of that process, with its texts; exit 1 if none.
//   window_probe tray           where the taskbar shows its first tray icon, and the tip that is up, if any.
//   window_probe taskbar        the buttons of the taskbar's task list, with their texts.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string toUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// Line breaks inside a text would break the one-fact-per-line format.
std::string oneLine(const std::wstring& text) {
  std::string utf8 = toUtf8(text);
  std::replace(utf8.begin(), utf8.end(), '\n', ' ');
  std::replace(utf8.begin(), utf8.end(), '\r', ' ');
  return utf8;
}

std::wstring className(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return name;
}

// The text of any window, also of another process's controls: WM_GETTEXT is marshalled by the system.
std::wstring windowText(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const auto copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied));
  return text;
}

class ProcessHandle {
 public:
  explicit ProcessHandle(DWORD id) : handle_(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {}
  ~ProcessHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The file name of the process's image, e.g. "deskflip.exe"; empty when it cannot be read.
std::wstring imageName(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  ProcessHandle process(processId);
  if (process.get() == nullptr) return {};
  wchar_t path[MAX_PATH] = L"";
  DWORD size = MAX_PATH;
  if (!QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
  const wchar_t* name = std::wcsrchr(path, L'\\');
  return name != nullptr ? name + 1 : path;
}

bool sameName(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

std::vector<HWND> topLevelWindows() {
  std::vector<HWND> windows;
  // GetWindow walks the z-order from the top, which the "above" facts need.
  for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT))
    windows.push_back(window);
  return windows;
}

BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Every descendant, in the order the system enumerates them (creation order for one parent).
std::vector<HWND> childWindows(HWND parent) {
  std::vector<HWND> children;
  if (parent != nullptr) EnumChildWindows(parent, collectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

void printRect(const char* key, const RECT& rect) {
  std::printf("%s=%ld %ld %ld %ld\n", key, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void printFlag(const char* key, bool value) { std::printf("%s=%d\n", key, value ? 1 : 0); }

HWND findMainWindow(const wchar_t* exe) {
  HWND best = nullptr;
  size_t bestChildren = 0;
  for (HWND window : topLevelWindows()) {
    if (!sameName(imageName(window), exe)) continue;
    const size_t children = childWindows(window).size();
    if (best == nullptr || children > bestChildren) {
      best = window;
      bestChildren = children;
    }
  }
  return bestChildren > 0 ? best : nullptr;
}

// Screen point in the middle of a caption button (HTCLOSE, HTMINBUTTON), found by asking the window what the
// points of the middle row of its caption are, the way the system decides where a click lands.
bool findCaptionButton(HWND window, LRESULT button, POINT& point) {
  RECT rect;
  GetWindowRect(window, &rect);
  const LONG y = rect.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  const auto hitTest = [window, y](LONG x) { return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
  LONG right = rect.right - 1;
  while (right > rect.left && hitTest(right) != button) --right;
  if (right == rect.left) return false;
  LONG left = right;
  while (left > rect.left && hitTest(left - 1) == button) --left;
  point = {(left + right) / 2, y};
  return true;
}

int probeMain(const wchar_t* exe) {
  HWND window = findMainWindow(exe);
  if (window == nullptr) {
    std::puts("found=0");
    return 1;
  }
  std::puts("found=1");
  RECT rect;
  GetWindowRect(window, &rect);
  printRect("rect", rect);
  POINT clientOrigin{0, 0};
  ClientToScreen(window, &clientOrigin);
  std::printf("client_origin=%ld %ld\n", clientOrigin.x, clientOrigin.y);
  std::printf("screen=%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::printf("title_length=%d\n", GetWindowTextLengthW(window));
  const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  std::printf("style=%08lx\nexstyle=%08lx\n", style, exStyle);
  printFlag("visible", IsWindowVisible(window));
  printFlag("iconic", IsIconic(window));
  printFlag("topmost", exStyle & WS_EX_TOPMOST);
  printFlag("caption", (style & WS_CAPTION) == WS_CAPTION);
  printFlag("sysmenu", style & WS_SYSMENU);
  printFlag("minimizebox", style & WS_MINIMIZEBOX);
  printFlag("maximizebox", style & WS_MAXIMIZEBOX);
  printFlag("thickframe", style & WS_THICKFRAME);
  printFlag("appwindow", exStyle & WS_EX_APPWINDOW);
  printFlag("toolwindow", exStyle & WS_EX_TOOLWINDOW);
  HWND owner = GetWindow(window, GW_OWNER);
  printFlag("owned", owner != nullptr);
  printFlag("owner_visible", owner != nullptr && IsWindowVisible(owner));
  printFlag("foreground", GetForegroundWindow() == window);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus != nullptr)
    std::printf("focus_class=%s\n", toUtf8(className(thread.hwndFocus)).c_str());
  // What the user sees at the window's centre: this window, or something on top of it.
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  printFlag("shown_at_centre", GetAncestor(WindowFromPoint(centre), GA_ROOT) == window);
  POINT button;
  if (findCaptionButton(window, HTCLOSE, button)) std::printf("close_button=%ld %ld\n", button.x, button.y);
  if (findCaptionButton(window, HTMINBUTTON, button)) std::printf("minimize_button=%ld %ld\n", button.x, button.y);
  int index = 0;
  for (HWND child : childWindows(window)) {
    RECT childRect;
    GetWindowRect(child, &childRect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&childRect), 2);
    RECT screenRect;
    GetWindowRect(child, &screenRect);
    std::printf("child%d.class=%s\n", index, toUtf8(className(child)).c_str());
    printRect(("child" + std::to_string(index) + ".client_rect").c_str(), childRect);
    printRect(("child" + std::to_string(index) + ".screen_rect").c_str(), screenRect);
    std::printf("child%d.style=%08lx\n", index, static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)));
    printFlag(("child" + std::to_string(index) + ".visible").c_str(), IsWindowVisible(child));
    std::printf("child%d.text=%s\n", index, oneLine(windowText(child)).c_str());
    ++index;
  }
  std::printf("children=%d\n", index);
  return 0;
}

int probeDialog(const wchar_t* exe) {
  for (HWND window : topLevelWindows()) {
    if (className(window) != L"#32770" || !IsWindowVisible(window) || !sameName(imageName(window), exe)) continue;
    std::puts("found=1");
    RECT rect;
    GetWindowRect(window, &rect);
    printRect("rect", rect);
    printFlag("foreground", GetForegroundWindow() == window);
    std::printf("title=%s\n", oneLine(windowText(window)).c_str());
    int index = 0;
    for (HWND child : childWindows(window)) {
      const std::wstring text = windowText(child);
      if (text.empty()) continue;
      std::printf("text%d=%s\n", index++, oneLine(text).c_str());
    }
    return 0;
  }
  std::puts("found=0");
  return 1;
}

HWND taskbarWindow() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

// Wine's taskbar draws the tray icons itself, in slots from its right end: a slot is a small icon with a border of
// 2 around it, the first icon rightmost. (Its tooltip control keeps a tool per icon ever shown, so counting tools
// does not tell which icons remain; the scripts look at the slot's pixels instead.) A tooltip that is up answers
// WM_GETTEXT with the tip it shows.
int probeTray() {
  HWND taskbar = taskbarWindow();
  printFlag("taskbar", taskbar != nullptr);
  if (taskbar == nullptr) return 1;
  RECT rect;
  GetWindowRect(taskbar, &rect);
  printRect("taskbar_rect", rect);
  const int slot = GetSystemMetrics(SM_CXSMICON) + 4;
  const RECT firstSlot{rect.right - slot, (rect.top + rect.bottom - slot) / 2, rect.right,
                       (rect.top + rect.bottom + slot) / 2};
  printRect("slot0", firstSlot);
  std::printf("slot0_centre=%ld %ld\n", (firstSlot.left + firstSlot.right) / 2, (firstSlot.top + firstSlot.bottom) / 2);
  for (HWND window : topLevelWindows()) {
    if (className(window) != L"tooltips_class32" || GetWindow(window, GW_OWNER) != taskbar) continue;
    if (!IsWindowVisible(window)) continue;
    std::puts("tip_shown=1");
    std::printf("tip=%s\n", oneLine(windowText(window)).c_str());
    return 0;
  }
  std::puts("tip_shown=0");
  return 0;
}

int probeTaskbar() {
  HWND taskbar = taskbarWindow();
  printFlag("taskbar", taskbar != nullptr);
  int count = 0;
  for (HWND window : childWindows(taskbar)) {
    if (className(window) != L"Button" || !IsWindowVisible(window)) continue;
    std::printf("button%d=%s\n", count++, oneLine(windowText(window)).c_str());
  }
  std::printf("buttons=%d\n", count);
  return 0;
}

int usage() {
  std::fputs("usage: window_probe main EXE | dialog EXE | tray | taskbar\n", stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return usage();
  const std::wstring command = argv[1];
  if (command == L"main" && argc == 3) return probeMain(argv[2]);
  if (command == L"dialog" && argc == 3) return probeDialog(argv[2]);
  if (command == L"tray") return probeTray();
  if (command == L"taskbar") return probeTaskbar();
  return usage();
}
