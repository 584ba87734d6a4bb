// The window run time over Win32 ("A" functions, GBK texts): the windows, their controls, the message loop and
// the tray.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <memory>
#include <vector>

#include "runtime/memory.h"
#include "runtime/window_backend.h"
#include "runtime/window_classes_win32.h"

namespace deskflip::runtime::backend {
namespace {

constexpr UINT kTrayIconId = 100;
constexpr UINT kTrayMessage = WM_APP + 100;
constexpr int kFirstControlId = 1000;
constexpr UINT kFormatVersion = 0x30000;

// One built window: its handle, its controls by unit index (null for units without a window, like timers) and
// the spin controls' buddies.
struct Win32Window {
  const WindowDescription* description;
  HWND handle = nullptr;
  std::vector<HWND> controls;
  std::vector<HWND> spins;  // by unit index: the up-down control attached to an edit box
};

struct BackendState {
  HINSTANCE instance = nullptr;
  HWND owner = nullptr;  // never shown: owning the windows keeps them off the taskbar
  UINT taskbarCreatedMessage = 0;
  std::vector<std::unique_ptr<Win32Window>> windows;  // each lives until its handle's last message
};

BackendState backendStateInstance;

BackendState& backendState() { return backendStateInstance; }

Win32Window* windowOf(HWND handle) {
  for (const auto& window : backendState().windows) {
    if (window->handle == handle) return window.get();
  }
  return nullptr;
}

Win32Window& asWindow(NativeWindow window) { return *static_cast<Win32Window*>(window); }

HWND controlOf(NativeWindow window, std::size_t unit) {
  const Win32Window& built = asWindow(window);
  return unit < built.controls.size() ? built.controls[unit] : nullptr;
}

std::size_t unitOfControlId(int controlId) {
  return static_cast<std::size_t>(controlId - kFirstControlId);
}

// The read-only edit box stays black on white instead of taking the dialog colour of read-only edits.
LRESULT colourReadOnlyEdit(const Win32Window& window, HDC context, HWND control) {
  for (std::size_t unit = 0; unit < window.controls.size(); ++unit) {
    if (window.controls[unit] == control && window.description->units[unit].type == UnitType::EditBox) {
      SetTextColor(context, RGB(0, 0, 0));
      SetBkColor(context, RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
  }
  return 0;
}

LRESULT CALLBACK windowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* window = windowOf(handle);
  if (window == nullptr) return DefWindowProcA(handle, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND: {
      const int controlId = LOWORD(wParam);
      if (controlId == IDCANCEL && lParam == 0) {  // Esc, through the dialog keys of the loop
        SendMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
      }
      if (HIWORD(wParam) == BN_CLICKED && controlId >= kFirstControlId) {
        dispatch::click(window, unitOfControlId(controlId));
      }
      return 0;
    }
    case WM_TIMER:
      if (wParam >= kFirstControlId) dispatch::periodic(window, unitOfControlId(static_cast<int>(wParam)));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == UDN_DELTAPOS) {
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
        const std::size_t spinUnit = unitOfControlId(static_cast<int>(header->idFrom));
        dispatch::spin(window, spinUnit, change->iDelta);
        return TRUE;  // the control's own position change is not wanted: the text is already set
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      const LRESULT brush = colourReadOnlyEdit(*window, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      if (brush != 0) return brush;
      break;
    }
    case kTrayMessage:
      if (wParam == kTrayIconId) dispatch::trayNotification(window, static_cast<std::uint32_t>(LOWORD(lParam)));
      return 0;
    case kShowRunningInstanceMessage:
      dispatch::showRequested(window);
      return 0;
    case WM_DESTROY:
      dispatch::willBeDestroyed(window);
      return 0;
    case WM_NCDESTROY:
      dispatch::destroyed(window);
      std::erase_if(backendState().windows, [window](const auto& built) { return built.get() == window; });
      return 0;
    default:
      if (message == backendState().taskbarCreatedMessage && message != 0) {
        dispatch::taskbarCreated(window);
        return 0;
      }
      break;
  }
  return DefWindowProcA(handle, message, wParam, lParam);
}

HWND createControl(const Win32Window& window, const UnitDescription& unit, std::size_t index) {
  const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(index)));
  const char* className = nullptr;
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  switch (unit.type) {
    case UnitType::Button:
      className = "BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
      break;
    case UnitType::EditBox:
      className = "EDIT";
      style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL | (unit.readOnly ? ES_READONLY : 0);
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case UnitType::Label:
      className = "STATIC";
      style |= SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
      break;
    default:
      return nullptr;
  }
  HWND control = CreateWindowExA(exStyle, className, unit.text != nullptr ? unit.text : "", style, unit.left, unit.top,
                                 unit.width, unit.height, window.handle, id, backendState().instance, nullptr);
  if (control != nullptr) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return control;
}

// The up-down control against the edit box's right edge, as tall as the box. The run time adjusts the box's text
// itself on UDN_DELTAPOS, so the control has no buddy and keeps no value of its own.
HWND createSpin(const Win32Window& window, const UnitDescription& unit, std::size_t index) {
  const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(index)));
  HWND spin = CreateWindowExA(WS_EX_STATICEDGE, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, unit.left + unit.width,
                              unit.top, unit.spin.width, unit.height, window.handle, id, backendState().instance, nullptr);
  if (spin == nullptr) return nullptr;
  SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(unit.spin.minimum), unit.spin.maximum);
  // Some up-down implementations narrow themselves to a default width while being created: the width is set again.
  SetWindowPos(spin, nullptr, 0, 0, unit.spin.width, unit.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return spin;
}

void removeFromTray(HWND handle) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = handle;
  data.uID = kTrayIconId;
  Shell_NotifyIconA(NIM_DELETE, &data);
}

bool notifyTray(DWORD action, NativeWindow window, NativeIcon icon, const char (&tip)[kTrayTipFieldSize]) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the 64-byte tip field
  data.hWnd = asWindow(window).handle;
  data.uID = kTrayIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = static_cast<HICON>(icon);
  static_assert(sizeof data.szTip >= kTrayTipFieldSize);
  std::memcpy(data.szTip, tip, kTrayTipFieldSize);
  return Shell_NotifyIconA(action, &data) != FALSE;
}

}  // namespace

bool prepare() {
  BackendState& backend = backendState();
  backend.instance = GetModuleHandleA(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSA ownerClass{};
  ownerClass.lpfnWndProc = DefWindowProcA;
  ownerClass.hInstance = backend.instance;
  ownerClass.lpszClassName = kOwnerWindowClass;
  WNDCLASSA mainClass{};
  mainClass.lpfnWndProc = windowProcedure;
  mainClass.hInstance = backend.instance;
  mainClass.hIcon = LoadIconA(backend.instance, MAKEINTRESOURCEA(1));
  if (mainClass.hIcon == nullptr) mainClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  mainClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  mainClass.lpszClassName = kMainWindowClass;
  if (RegisterClassA(&ownerClass) == 0 || RegisterClassA(&mainClass) == 0) return false;

  backend.owner = CreateWindowExA(0, kOwnerWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, backend.instance,
                                  nullptr);
  backend.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
  return backend.owner != nullptr;
}

void release() {
  BackendState& backend = backendState();
  if (backend.owner != nullptr) DestroyWindow(backend.owner);
  backend.owner = nullptr;
  UnregisterClassA(kMainWindowClass, backend.instance);
  UnregisterClassA(kOwnerWindowClass, backend.instance);
}

NativeWindow createWindow(const WindowDescription& description, std::int32_t left, std::int32_t top) {
  const UnitDescription& frame = description.units[0];
  auto window = std::make_unique<Win32Window>(Win32Window{.description = &description, .controls = {}, .spins = {}});
  window->controls.assign(description.units.size(), nullptr);
  window->spins.assign(description.units.size(), nullptr);
  // The messages of CreateWindowEx itself need nothing of the run time: they go to DefWindowProc until the window
  // is registered below.
  window->handle = CreateWindowExA(WS_EX_TOPMOST, kMainWindowClass, frame.text != nullptr ? frame.text : "",
                                   WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, left, top, frame.width,
                                   frame.height, backendState().owner, nullptr, backendState().instance, nullptr);
  if (window->handle == nullptr) return nullptr;
  for (std::size_t index = 1; index < description.units.size(); ++index) {
    const UnitDescription& unit = description.units[index];
    window->controls[index] = createControl(*window, unit, index);
    if (unit.type == UnitType::EditBox && unit.spin.attached) window->spins[index] = createSpin(*window, unit, index);
  }
  return backendState().windows.emplace_back(std::move(window)).get();
}

void destroyWindow(NativeWindow window) { DestroyWindow(asWindow(window).handle); }

Size primaryScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

Rect windowRect(NativeWindow window) {
  RECT rect{};
  GetWindowRect(asWindow(window).handle, &rect);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool isVisible(NativeWindow window) { return IsWindowVisible(asWindow(window).handle) != FALSE; }

void show(NativeWindow window, bool visible) {
  HWND handle = asWindow(window).handle;
  ShowWindow(handle, visible ? SW_SHOW : SW_HIDE);
  if (visible) SetForegroundWindow(handle);
}

bool isMinimizedOrMaximized(NativeWindow window) {
  HWND handle = asWindow(window).handle;
  return IsIconic(handle) != FALSE || IsZoomed(handle) != FALSE;
}

void showState(NativeWindow window, int placement) {
  const int command = placement == 2 ? SW_MINIMIZE : placement == 3 ? SW_MAXIMIZE : SW_RESTORE;
  ShowWindow(asWindow(window).handle, command);
}

void move(NativeWindow window, std::int32_t left, std::int32_t top) {
  SetWindowPos(asWindow(window).handle, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void setTimer(NativeWindow window, std::size_t unit, std::uint32_t period) {
  HWND handle = asWindow(window).handle;
  const UINT_PTR timerId = kFirstControlId + unit;
  if (period == 0) {
    KillTimer(handle, timerId);
  } else {
    SetTimer(handle, timerId, period, nullptr);
  }
}

char* copyText(NativeWindow window, std::size_t unit) {
  HWND control = controlOf(window, unit);
  if (control == nullptr) return nullptr;
  const int length = GetWindowTextLengthA(control);
  if (length <= 0) return nullptr;
  auto* text = static_cast<char*>(allocateMemory(length + 1));
  const int copied = GetWindowTextA(control, text, length + 1);
  if (copied <= 0) {
    freeMemory(text);
    return nullptr;
  }
  return text;
}

void setText(NativeWindow window, std::size_t unit, const char* text) {
  if (HWND control = controlOf(window, unit)) SetWindowTextA(control, text);
}

bool isEnabledAndVisible(NativeWindow window, std::size_t unit) {
  HWND control = controlOf(window, unit);
  return control != nullptr && IsWindowEnabled(control) != FALSE && IsWindowVisible(control) != FALSE;
}

void selectAllAndFocus(NativeWindow window, std::size_t unit) {
  HWND control = controlOf(window, unit);
  if (control == nullptr) return;
  SendMessageA(control, EM_SETSEL, 0, -1);
  SendMessageA(control, EM_SCROLLCARET, 0, 0);
  SetFocus(control);
}

NativeIcon createIcon(std::span<const std::uint8_t> image, std::int32_t width, std::int32_t height) {
  // The API takes a non-const pointer but only reads the bytes.
  auto* bytes = const_cast<PBYTE>(image.data());
  return CreateIconFromResourceEx(bytes, static_cast<DWORD>(image.size()), TRUE, kFormatVersion, width, height,
                                  LR_DEFAULTCOLOR);
}

void destroyIcon(NativeIcon icon) {
  if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));
}

bool trayAdd(NativeWindow window, NativeIcon icon, const char (&tip)[kTrayTipFieldSize]) {
  return notifyTray(NIM_ADD, window, icon, tip);
}

bool trayModify(NativeWindow window, NativeIcon icon, const char (&tip)[kTrayTipFieldSize]) {
  return notifyTray(NIM_MODIFY, window, icon, tip);
}

void trayDelete(NativeWindow window) { removeFromTray(asWindow(window).handle); }

std::int32_t runLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    Win32Window* window = root != nullptr ? windowOf(root) : nullptr;
    if (window != nullptr) {
      // Esc anywhere in the window asks it to close, as its close button does.
      if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        SendMessageA(root, WM_SYSCOMMAND, SC_CLOSE, 0);
        continue;
      }
      // Tab between controls and Enter on a button, as in a dialog.
      if (IsDialogMessageA(root, &message)) continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<std::int32_t>(message.wParam);
}

void postQuit(std::int32_t code) { PostQuitMessage(code); }

}  // namespace deskflip::runtime::backend
