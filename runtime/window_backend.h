#pragma once
// What the window run time needs of a windowing system. Two backends implement it: the real one over Win32 and an
// in-memory one with a controllable clock for tests. The rules (properties, events, quit, tray) stay in
// window_runtime.cpp, the same for both.
#include <cstddef>
#include <cstdint>
#include <span>

#include "runtime/tray_tip.h"
#include "runtime/window_description.h"

namespace deskflip::runtime::backend {

using NativeWindow = void*;
using NativeIcon = void*;

struct Rect {
  std::int32_t left, top, width, height;
};
struct Size {
  std::int32_t width, height;
};

// Classes, controls library, anything needed once. False when the windowing system cannot be used.
bool prepare();
// Releases what prepare made.
void release();

// The window and its controls, hidden, outer rectangle at (left, top). Units are addressed by their index in the
// description. Null when it cannot be built.
NativeWindow createWindow(const WindowDescription& description, std::int32_t left, std::int32_t top);
// Destroys it; the will-be-destroyed and destroyed dispatches run before this returns.
void destroyWindow(NativeWindow window);

Size primaryScreenSize();
Rect windowRect(NativeWindow window);
bool isVisible(NativeWindow window);
void show(NativeWindow window, bool visible);       // activates when shown
bool isMinimizedOrMaximized(NativeWindow window);
void showState(NativeWindow window, int placement);  // 0 restore, 2 minimise, 3 maximise
void move(NativeWindow window, std::int32_t left, std::int32_t top);  // keeps size, z-order and activation

// Runs the unit's periodic event every `period` ms; 0 stops it.
void setTimer(NativeWindow window, std::size_t unit, std::uint32_t period);

// Control texts. copyText: a block from allocateMemory, or null when the text is empty.
char* copyText(NativeWindow window, std::size_t unit);
void setText(NativeWindow window, std::size_t unit, const char* text);
bool isEnabledAndVisible(NativeWindow window, std::size_t unit);
// Selects all of an edit box's text, scrolls the caret into view and gives it the keyboard focus.
void selectAllAndFocus(NativeWindow window, std::size_t unit);

// Icons: made from one image of an icon file, at the given size; null when none can be made.
NativeIcon createIcon(std::span<const std::uint8_t> image, std::int32_t width, std::int32_t height);
void destroyIcon(NativeIcon icon);

// The window's one tray icon (identifier 100, notification WM_APP + 100).
bool trayAdd(NativeWindow window, NativeIcon icon, const char (&tip)[kTrayTipFieldSize]);
bool trayModify(NativeWindow window, NativeIcon icon, const char (&tip)[kTrayTipFieldSize]);
void trayDelete(NativeWindow window);

// Dispatches messages until the quit message; returns its code.
std::int32_t runLoop();
void postQuit(std::int32_t code);

}  // namespace deskflip::runtime::backend

// What a backend reports back to the run time, from inside its message dispatch.
namespace deskflip::runtime::dispatch {

// Mouse notifications of the tray icon, as the system numbers them.
inline constexpr std::uint32_t kLeftButtonUp = 0x0202;         // WM_LBUTTONUP
inline constexpr std::uint32_t kLeftButtonDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK
inline constexpr std::uint32_t kRightButtonUp = 0x0205;        // WM_RBUTTONUP
inline constexpr std::uint32_t kContextMenu = 0x007B;          // WM_CONTEXTMENU

// The tray operation of a notification: 1 left click, 2 double-click, 3 right click or context menu, 0 none.
std::int32_t trayOperationFor(std::uint32_t notification);

void click(backend::NativeWindow window, std::size_t unit);
void periodic(backend::NativeWindow window, std::size_t unit);
void trayNotification(backend::NativeWindow window, std::uint32_t notification);
void spin(backend::NativeWindow window, std::size_t editUnit, std::int32_t delta);
// The taskbar was (re)started: the tray icon is added again.
void taskbarCreated(backend::NativeWindow window);
// Another launch of the program asked this one to come forward: shown and centred, as by a tray click.
void showRequested(backend::NativeWindow window);
// The window is being destroyed: its will-be-destroyed event runs, then its tray icon goes.
void willBeDestroyed(backend::NativeWindow window);
// The window is gone: the quit rule applies.
void destroyed(backend::NativeWindow window);

}  // namespace deskflip::runtime::dispatch
