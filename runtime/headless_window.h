#pragma once
// The in-memory window system behind the run time in Linux builds: what the windows look like, what the tray
// shows, a clock that fires timer ticks when a test advances it, and the user's actions.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/window_backend.h"
#include "runtime/window_description.h"

namespace deskflip::runtime::headless {

struct ControlState {
  std::string text;
  bool enabled = true;
  bool visible = true;
  bool allSelected = false;
};

struct WindowState {
  const WindowDescription* description = nullptr;
  backend::Rect rect{};
  bool visible = false;
  bool active = false;
  bool minimized = false;
  bool maximized = false;
  std::int32_t focusedUnit = -1;
  std::vector<ControlState> controls;       // by unit index
  std::vector<std::uint32_t> timerPeriods;  // by unit index; 0 stopped
  std::vector<std::int64_t> nextTicks;      // by unit index: the clock time of the next tick
};

struct TrayState {
  bool present = false;
  backend::NativeIcon icon = nullptr;
  std::string tip;
  std::int32_t iconWidth = 0;
  std::int32_t iconHeight = 0;
};

// Everything back to the start: no windows, no tray, clock 0, screen 1024 x 768, and the run time's own state.
void reset();

void setScreenSize(std::int32_t width, std::int32_t height);
// The loaded window, or null.
WindowState* window();
const TrayState& tray();
// Icons made and not yet destroyed.
int liveIcons();
// The next `count` icons cannot be made from their bytes.
void failIconCreation(int count);
// What the window system was asked to do, in order ("tray add", "timer 50", "hide", "move 329 267", ...).
const std::vector<std::string>& log();

// The user, through the window system. Units are named by their identifiers.
void click(UnitId unit);
void spin(UnitId editBox, std::int32_t delta);
void typeInto(UnitId editBox, const std::string& text);  // ignored by read-only boxes
void trayNotify(std::uint32_t notification);
void closeWindow();  // close button, system menu, Alt+F4 or Esc
void minimize();
void maximize();
void restartTaskbar();
void advanceTime(std::int64_t milliseconds);
std::int64_t now();

// What the user does while the message loop runs, one action at a time. The loop ends at the quit message; if
// the actions run out before it, the loop ends too and loopRanDry() tells.
void queueUserAction(std::function<void()> action);
bool loopRanDry();

}  // namespace deskflip::runtime::headless
