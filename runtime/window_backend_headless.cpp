// The in-memory window system: windows, controls, timers on a test clock, icons and the tray.
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

#include "runtime/headless_window.h"
#include "runtime/memory.h"
#include "runtime/window_backend.h"
#include "runtime/window_host.h"
#include "runtime/window_runtime.h"

namespace deskflip::runtime {
namespace {

struct HeadlessIcon {
  std::int32_t width;
  std::int32_t height;
};

struct HeadlessState {
  backend::Size screen{1024, 768};
  std::unique_ptr<headless::WindowState> window;
  headless::TrayState tray;
  int liveIcons = 0;
  int failingIcons = 0;
  std::vector<std::string> log;
  std::int64_t clock = 0;
  std::deque<std::function<void()>> userActions;
  bool quit = false;
  std::int32_t quitCode = 0;
  bool loopRanDry = false;
};

HeadlessState& headlessState() {
  static HeadlessState instance;
  return instance;
}

headless::WindowState& asWindow(backend::NativeWindow window) { return *static_cast<headless::WindowState*>(window); }

void record(std::string entry) { headlessState().log.push_back(std::move(entry)); }

std::size_t unitIndex(const headless::WindowState& window, UnitId unit) {
  for (std::size_t index = 0; index < window.description->units.size(); ++index) {
    if (window.description->units[index].id == unit) return index;
  }
  return window.description->units.size();
}

std::uint32_t readLittleEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

namespace backend {

bool prepare() {
  record("prepare");
  return true;
}

void release() { record("release"); }

NativeWindow createWindow(const WindowDescription& description, std::int32_t left, std::int32_t top) {
  HeadlessState& headless = headlessState();
  if (headless.window) return nullptr;
  auto window = std::make_unique<headless::WindowState>();
  window->description = &description;
  window->rect = {left, top, description.units[0].width, description.units[0].height};
  window->controls.resize(description.units.size());
  for (std::size_t index = 0; index < description.units.size(); ++index) {
    if (description.units[index].text != nullptr) window->controls[index].text = description.units[index].text;
  }
  window->timerPeriods.assign(description.units.size(), 0);
  window->nextTicks.assign(description.units.size(), 0);
  headless.window = std::move(window);
  record("create " + std::to_string(left) + " " + std::to_string(top));
  return headless.window.get();
}

void destroyWindow(NativeWindow window) {
  record("destroy");
  dispatch::willBeDestroyed(window);
  dispatch::destroyed(window);
  headlessState().window.reset();
}

Size primaryScreenSize() { return headlessState().screen; }

Rect windowRect(NativeWindow window) { return asWindow(window).rect; }

bool isVisible(NativeWindow window) { return asWindow(window).visible; }

void show(NativeWindow window, bool visible) {
  headless::WindowState& state = asWindow(window);
  state.visible = visible;
  state.active = visible;
  record(visible ? "show" : "hide");
}

bool isMinimizedOrMaximized(NativeWindow window) { return asWindow(window).minimized || asWindow(window).maximized; }

void showState(NativeWindow window, int placement) {
  headless::WindowState& state = asWindow(window);
  state.minimized = placement == 2;
  state.maximized = placement == 3;
  record(placement == 2 ? "minimise" : placement == 3 ? "maximise" : "restore");
}

void move(NativeWindow window, std::int32_t left, std::int32_t top) {
  asWindow(window).rect.left = left;
  asWindow(window).rect.top = top;
  record("move " + std::to_string(left) + " " + std::to_string(top));
}

void setTimer(NativeWindow window, std::size_t unit, std::uint32_t period) {
  headless::WindowState& state = asWindow(window);
  state.timerPeriods[unit] = period;
  state.nextTicks[unit] = headlessState().clock + period;
  record(period == 0 ? "timer stop" : "timer " + std::to_string(period));
}

char* copyText(NativeWindow window, std::size_t unit) {
  const std::string& text = asWindow(window).controls[unit].text;
  if (text.empty()) return nullptr;
  auto* copy = static_cast<char*>(allocateMemory(static_cast<std::int32_t>(text.size() + 1)));
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

void setText(NativeWindow window, std::size_t unit, const char* text) {
  asWindow(window).controls[unit].text = text;
  asWindow(window).controls[unit].allSelected = false;
}

bool isEnabledAndVisible(NativeWindow window, std::size_t unit) {
  const headless::ControlState& control = asWindow(window).controls[unit];
  return control.enabled && control.visible;
}

void selectAllAndFocus(NativeWindow window, std::size_t unit) {
  asWindow(window).controls[unit].allSelected = true;
  asWindow(window).focusedUnit = static_cast<std::int32_t>(unit);
}

// An icon can be made from a bitmap image whose header agrees with the size asked for, or from a PNG image.
NativeIcon createIcon(std::span<const std::uint8_t> image, std::int32_t width, std::int32_t height) {
  HeadlessState& headless = headlessState();
  if (headless.failingIcons > 0) {
    --headless.failingIcons;
    return nullptr;
  }
  static constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G'};
  const bool png = image.size() >= 4 && std::memcmp(image.data(), kPngSignature, 4) == 0;
  const bool bitmap = image.size() >= 40 && readLittleEndian32(image, 0) == 40 &&
                      static_cast<std::int32_t>(readLittleEndian32(image, 4)) == width &&
                      static_cast<std::int32_t>(readLittleEndian32(image, 8)) == 2 * height;
  if (!png && !bitmap) return nullptr;
  ++headless.liveIcons;
  return new HeadlessIcon{width, height};
}

void destroyIcon(NativeIcon icon) {
  if (icon == nullptr) return;
  --headlessState().liveIcons;
  delete static_cast<HeadlessIcon*>(icon);
}

namespace {
bool showInTray(const char* action, NativeIcon icon, const char (&tip)[kTrayTipFieldSize]) {
  headless::TrayState& tray = headlessState().tray;
  tray.present = true;
  tray.icon = icon;
  tray.tip.assign(tip, strnlen(tip, kTrayTipFieldSize));
  tray.iconWidth = static_cast<HeadlessIcon*>(icon)->width;
  tray.iconHeight = static_cast<HeadlessIcon*>(icon)->height;
  record(action);
  return true;
}
}  // namespace

bool trayAdd(NativeWindow, NativeIcon icon, const char (&tip)[kTrayTipFieldSize]) {
  if (headlessState().tray.present) return false;  // the system refuses a second icon with the same identifier
  return showInTray("tray add", icon, tip);
}

bool trayModify(NativeWindow, NativeIcon icon, const char (&tip)[kTrayTipFieldSize]) {
  if (!headlessState().tray.present) return false;
  return showInTray("tray modify", icon, tip);
}

void trayDelete(NativeWindow) {
  headlessState().tray = {};
  record("tray delete");
}

std::int32_t runLoop() {
  HeadlessState& headless = headlessState();
  headless.quit = false;
  while (!headless.quit) {
    if (headless.userActions.empty()) {
      headless.loopRanDry = true;
      return 0;
    }
    std::function<void()> action = std::move(headless.userActions.front());
    headless.userActions.pop_front();
    action();
  }
  return headless.quitCode;
}

void postQuit(std::int32_t code) {
  headlessState().quit = true;
  headlessState().quitCode = code;
  record("quit " + std::to_string(code));
}

bool forwardToRunningInstance() { return false; }

}  // namespace backend

namespace headless {

void reset() {
  while (headlessState().window) backend::destroyWindow(headlessState().window.get());
  resetWindowRuntimeForTesting();
  HeadlessState& headless = headlessState();
  headless.screen = {1024, 768};
  headless.tray = {};
  headless.failingIcons = 0;
  headless.log.clear();
  headless.clock = 0;
  headless.userActions.clear();
  headless.quit = false;
  headless.quitCode = 0;
  headless.loopRanDry = false;
}

void setScreenSize(std::int32_t width, std::int32_t height) { headlessState().screen = {width, height}; }
WindowState* window() { return headlessState().window.get(); }
const TrayState& tray() { return headlessState().tray; }
int liveIcons() { return headlessState().liveIcons; }
void failIconCreation(int count) { headlessState().failingIcons = count; }
const std::vector<std::string>& log() { return headlessState().log; }

void click(UnitId unit) {
  if (WindowState* state = window()) dispatch::click(state, unitIndex(*state, unit));
}

void spin(UnitId editBox, std::int32_t delta) {
  if (WindowState* state = window()) dispatch::spin(state, unitIndex(*state, editBox), delta);
}

void typeInto(UnitId editBox, const std::string& text) {
  WindowState* state = window();
  if (state == nullptr) return;
  const std::size_t index = unitIndex(*state, editBox);
  if (!state->description->units[index].readOnly) state->controls[index].text = text;
}

void trayNotify(std::uint32_t notification) {
  if (WindowState* state = window(); state != nullptr && headlessState().tray.present) {
    dispatch::trayNotification(state, notification);
  }
}

void closeWindow() {
  if (WindowState* state = window()) backend::destroyWindow(state);
}

void minimize() {
  if (WindowState* state = window()) {
    state->minimized = true;
    state->maximized = false;
    state->active = false;
  }
}

void maximize() {
  if (WindowState* state = window()) {
    state->maximized = true;
    state->minimized = false;
  }
}

void restartTaskbar() {
  headlessState().tray = {};
  if (WindowState* state = window()) dispatch::taskbarCreated(state);
}

void advanceTime(std::int64_t milliseconds) {
  HeadlessState& headless = headlessState();
  const std::int64_t end = headless.clock + milliseconds;
  while (headless.clock < end) {
    ++headless.clock;
    WindowState* state = window();
    if (state == nullptr) continue;
    for (std::size_t unit = 0; unit < state->timerPeriods.size(); ++unit) {
      if (state->timerPeriods[unit] == 0 || state->nextTicks[unit] > headless.clock) continue;
      state->nextTicks[unit] = headless.clock + state->timerPeriods[unit];
      dispatch::periodic(state, unit);
      if (window() != state) break;  // the tick ended the window
    }
  }
}

std::int64_t now() { return headlessState().clock; }

void queueUserAction(std::function<void()> action) { headlessState().userActions.push_back(std::move(action)); }
bool loopRanDry() { return headlessState().loopRanDry; }

}  // namespace headless
}  // namespace deskflip::runtime
