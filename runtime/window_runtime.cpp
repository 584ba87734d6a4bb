// The rules of the window run time, shared by both backends: descriptions, loaded windows, properties, events,
// the quit rule and the tray icon.
#include "runtime/window_runtime.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/fatal_error.h"
#include "runtime/icon_directory.h"
#include "runtime/memory.h"
#include "runtime/program_end.h"
#include "runtime/spin_step.h"
#include "runtime/text_to_integer.h"
#include "runtime/window_backend.h"

namespace deskflip::runtime {
namespace {

struct IconDeleter {
  void operator()(void* icon) const { backend::destroyIcon(icon); }
};
using OwnedIcon = std::unique_ptr<void, IconDeleter>;

// The window's registration in the tray, with the icon it shows; both go together.
class TrayRegistration {
 public:
  TrayRegistration(backend::NativeWindow window, OwnedIcon icon, const char (&tip)[kTrayTipFieldSize])
      : window_(window), icon_(std::move(icon)) {
    std::copy(std::begin(tip), std::end(tip), tip_);
    backend::trayAdd(window_, icon_.get(), tip_);
  }
  TrayRegistration(const TrayRegistration&) = delete;
  TrayRegistration& operator=(const TrayRegistration&) = delete;
  ~TrayRegistration() { backend::trayDelete(window_); }  // the icon is destroyed after it has left the tray

  void replace(OwnedIcon icon, const char (&tip)[kTrayTipFieldSize]) {
    std::copy(std::begin(tip), std::end(tip), tip_);
    backend::trayModify(window_, icon.get(), tip_);
    icon_ = std::move(icon);  // the old icon is destroyed once the tray no longer shows it
  }
  void addAgain() { backend::trayAdd(window_, icon_.get(), tip_); }

 private:
  backend::NativeWindow window_;
  OwnedIcon icon_;
  char tip_[kTrayTipFieldSize]{};
};

struct LoadedWindow {
  const WindowDescription* description;
  backend::NativeWindow native = nullptr;
  std::int32_t placement = 0;
  std::vector<std::int32_t> timerPeriods;  // by unit index
  std::unique_ptr<TrayRegistration> tray;
};

struct RuntimeState {
  std::span<const WindowDescription> programWindows;
  std::span<const WindowDescription> descriptions;
  std::vector<std::unique_ptr<LoadedWindow>> windows;
  bool loopStarted = false;
  std::int32_t quitCode = 0;
  bool prepared = false;
};

// At namespace scope, constant-initialised: no guarded first use.
RuntimeState runtimeState;

RuntimeState& state() { return runtimeState; }

const WindowDescription* findDescription(WindowId id) {
  for (const WindowDescription& description : state().descriptions) {
    if (description.id == id) return &description;
  }
  return nullptr;
}

LoadedWindow* findWindow(WindowId id) {
  for (const auto& window : state().windows) {
    if (window->description->id == id) return window.get();
  }
  return nullptr;
}

LoadedWindow* findWindow(backend::NativeWindow native) {
  for (const auto& window : state().windows) {
    if (window->native == native) return window.get();
  }
  return nullptr;
}

// The unit's index in its window's description, or none.
std::optional<std::size_t> unitIndex(const LoadedWindow& window, UnitId unit) {
  const auto units = window.description->units;
  for (std::size_t index = 0; index < units.size(); ++index) {
    if (units[index].id == unit) return index;
  }
  return std::nullopt;
}

const EventBinding* findBinding(const LoadedWindow& window, UnitId unit, Event event) {
  for (const EventBinding& binding : window.description->events) {
    if (binding.unit == unit && binding.event == event) return &binding;
  }
  return nullptr;
}

void runEvent(const LoadedWindow& window, std::size_t unit, Event event) {
  const EventBinding* binding = findBinding(window, window.description->units[unit].id, event);
  if (binding != nullptr && binding->handler != nullptr) binding->handler();
}

// A description the run time can build: the window itself first, then controls, unit identifiers distinct.
bool isUsable(const WindowDescription& description) {
  const auto units = description.units;
  if (units.empty() || units[0].type != UnitType::Window) return false;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (i > 0 && units[i].type == UnitType::Window) return false;
    for (std::size_t j = i + 1; j < units.size(); ++j) {
      if (units[i].id == units[j].id) return false;
    }
  }
  return true;
}

void centre(LoadedWindow& window) {
  const backend::Size screen = backend::primaryScreenSize();
  const backend::Rect rect = backend::windowRect(window.native);
  const std::int32_t left = (screen.width - rect.width) / 2;
  const std::int32_t top = (screen.height - rect.height) / 2;
  if (left != rect.left || top != rect.top) backend::move(window.native, left, top);
}

void setPlacement(LoadedWindow& window, std::int32_t value) {
  window.placement = std::clamp(value, 0, 3);
  if (!backend::isVisible(window.native)) return;  // kept for later
  if (window.placement == 1) {
    if (backend::isMinimizedOrMaximized(window.native)) backend::showState(window.native, 0);
    centre(window);
  } else {
    backend::showState(window.native, window.placement);
  }
}

void setTimerPeriod(LoadedWindow& window, std::size_t unit, std::int32_t value) {
  const std::int32_t period = std::max(value, 0);
  if (window.timerPeriods[unit] == period) return;  // a running timer is not restarted
  window.timerPeriods[unit] = period;
  backend::setTimer(window.native, unit, static_cast<std::uint32_t>(period));
}

// The icon from the file's bytes: the usual choice of image first, then once more preferring 32 pixels.
OwnedIcon makeIcon(std::span<const std::uint8_t> iconBytes) {
  for (const std::int32_t preferredWidth : {16, 32}) {
    if (const auto image = selectIconImage(iconBytes, preferredWidth)) {
      if (void* icon = backend::createIcon(image->data, image->width, image->height)) return OwnedIcon(icon);
    }
  }
  return nullptr;
}

// `value` in decimal, written into `digits`.
const char* decimalText(std::int32_t value, char (&digits)[12]) {
  char* at = std::end(digits);
  *--at = '\0';
  std::int64_t magnitude = value < 0 ? -std::int64_t{value} : value;
  do {
    *--at = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--at = '-';
  return at;
}

void releaseWindows() {
  // Destroying a window removes it from the list through the destroyed dispatch.
  while (!state().windows.empty()) {
    LoadedWindow& window = *state().windows.back();
    const std::size_t before = state().windows.size();
    backend::destroyWindow(window.native);
    if (state().windows.size() == before) state().windows.pop_back();
  }
}

void releaseResources() {
  if (!state().prepared) return;
  backend::release();
  state().prepared = false;
}

}  // namespace

void setProgramWindows(std::span<const WindowDescription> descriptions) { state().programWindows = descriptions; }

void prepareRuntime() {
  RuntimeState& runtime = state();
  runtime.descriptions = runtime.programWindows;
  for (const WindowDescription& description : runtime.descriptions) {
    if (!isUsable(description)) fatalRuntimeError("window description unusable");
  }
  setShutdownStages({&releaseWindows, &releaseResources});
  if (!runtime.prepared) {
    if (!backend::prepare()) fatalRuntimeError("window system unavailable");
    runtime.prepared = true;
  }
}

void loadStartWindow(WindowId id) {
  const WindowDescription* description = findDescription(id);
  if (description == nullptr || findWindow(id) != nullptr) fatalRuntimeError("start window cannot be loaded");
  const UnitDescription& frame = description->units[0];
  const backend::Size screen = backend::primaryScreenSize();
  // Centred on the primary screen, in place of the position the description was designed at.
  const std::int32_t left = (screen.width - frame.width) / 2;
  const std::int32_t top = (screen.height - frame.height) / 2;

  auto window = std::make_unique<LoadedWindow>();
  window->description = description;
  window->timerPeriods.assign(description->units.size(), 0);
  window->native = backend::createWindow(*description, left, top);
  if (window->native == nullptr) fatalRuntimeError("start window cannot be loaded");
  LoadedWindow& loaded = *window;
  state().windows.push_back(std::move(window));
  for (std::size_t unit = 0; unit < description->units.size(); ++unit) {
    if (description->units[unit].type == UnitType::Timer) setTimerPeriod(loaded, unit, description->units[unit].timerPeriod);
  }
  runEvent(loaded, 0, Event::Created);
  if (findWindow(loaded.native) == &loaded) backend::show(loaded.native, true);
}

void runMessageLoop() {
  state().loopStarted = true;
  if (state().windows.empty()) return;
  state().quitCode = backend::runLoop();
}

std::int32_t quitCode() { return state().quitCode; }

void setProperty(WindowId windowId, UnitId unit, int number, std::int32_t value) {
  LoadedWindow* window = findWindow(windowId);
  if (window == nullptr) return;
  const auto index = unitIndex(*window, unit);
  if (!index) return;
  const UnitType type = window->description->units[*index].type;
  if (type == UnitType::Window && number == property::kVisible) {
    backend::show(window->native, value != 0);
  } else if (type == UnitType::Window && number == property::kPlacement) {
    setPlacement(*window, value);
  } else if (type == UnitType::Timer && number == property::kTimerPeriod) {
    setTimerPeriod(*window, *index, value);
  }
}

std::int32_t getProperty(WindowId windowId, UnitId unit, int number) {
  LoadedWindow* window = findWindow(windowId);
  if (window == nullptr) return 0;
  const auto index = unitIndex(*window, unit);
  if (!index) return 0;
  const UnitType type = window->description->units[*index].type;
  if (type == UnitType::Window && number == property::kVisible) return backend::isVisible(window->native) ? 1 : 0;
  if (type == UnitType::Window && number == property::kPlacement) return window->placement;
  if (type == UnitType::Timer && number == property::kTimerPeriod) return window->timerPeriods[*index];
  return 0;
}

char* getTextProperty(WindowId windowId, UnitId unit, int number) {
  LoadedWindow* window = findWindow(windowId);
  if (window == nullptr) return nullptr;
  const auto index = unitIndex(*window, unit);
  if (!index || number != property::kEditContent) return nullptr;
  if (window->description->units[*index].type != UnitType::EditBox) return nullptr;
  return backend::copyText(window->native, *index);
}

int setTrayIcon(WindowId windowId, std::span<const std::uint8_t> iconBytes, const char* tip) {
  LoadedWindow* window = findWindow(windowId);
  if (window == nullptr) return 0;
  OwnedIcon icon = makeIcon(iconBytes);
  if (!icon) {
    window->tray.reset();
    return 0;
  }
  char field[kTrayTipFieldSize];
  cutTrayTip(tip, field);
  if (window->tray) {
    window->tray->replace(std::move(icon), field);
  } else {
    window->tray = std::make_unique<TrayRegistration>(window->native, std::move(icon), field);
  }
  return 1;
}

void resetWindowRuntimeForTesting() {
  RuntimeState& runtime = state();
  runtime.windows.clear();
  runtime.loopStarted = false;
  runtime.quitCode = 0;
  runtime.prepared = false;
}

namespace dispatch {

std::int32_t trayOperationFor(std::uint32_t notification) {
  switch (notification) {
    case kLeftButtonUp: return 1;
    case kLeftButtonDoubleClick: return 2;
    case kRightButtonUp:
    case kContextMenu: return 3;
    default: return 0;
  }
}

void click(backend::NativeWindow native, std::size_t unit) {
  if (LoadedWindow* window = findWindow(native)) runEvent(*window, unit, Event::Click);
}

void periodic(backend::NativeWindow native, std::size_t unit) {
  LoadedWindow* window = findWindow(native);
  if (window != nullptr && window->timerPeriods[unit] > 0) runEvent(*window, unit, Event::Periodic);
}

void trayNotification(backend::NativeWindow native, std::uint32_t notification) {
  LoadedWindow* window = findWindow(native);
  const std::int32_t operation = trayOperationFor(notification);
  if (window == nullptr || operation == 0) return;
  const EventBinding* binding = findBinding(*window, window->description->units[0].id, Event::TrayEvent);
  if (binding != nullptr && binding->trayHandler != nullptr) binding->trayHandler(operation);
}

void spin(backend::NativeWindow native, std::size_t editUnit, std::int32_t delta) {
  LoadedWindow* window = findWindow(native);
  if (window == nullptr || !backend::isEnabledAndVisible(native, editUnit)) return;
  const SpinSettings& settings = window->description->units[editUnit].spin;
  char* text = backend::copyText(native, editUnit);
  const std::int32_t value = spinStep(textToInteger(text), delta, settings.minimum, settings.maximum);
  freeMemory(text);
  char digits[12];
  backend::setText(native, editUnit, decimalText(value, digits));
  backend::selectAllAndFocus(native, editUnit);
}

void taskbarCreated(backend::NativeWindow native) {
  LoadedWindow* window = findWindow(native);
  if (window != nullptr && window->tray) window->tray->addAgain();
}

void showRequested(backend::NativeWindow native) {
  LoadedWindow* window = findWindow(native);
  if (window == nullptr) return;
  backend::show(native, true);
  setPlacement(*window, 1);
}

void willBeDestroyed(backend::NativeWindow native) {
  LoadedWindow* window = findWindow(native);
  if (window == nullptr) return;
  runEvent(*window, 0, Event::WillBeDestroyed);
  window->tray.reset();
  for (std::size_t unit = 0; unit < window->timerPeriods.size(); ++unit) {
    if (window->timerPeriods[unit] != 0) backend::setTimer(native, unit, 0);
    window->timerPeriods[unit] = 0;
  }
}

void destroyed(backend::NativeWindow native) {
  auto& windows = state().windows;
  const auto gone = std::find_if(windows.begin(), windows.end(), [native](const auto& w) { return w->native == native; });
  if (gone == windows.end()) return;
  windows.erase(gone);
  if (windows.empty() && state().loopStarted) backend::postQuit(0);
}

}  // namespace dispatch
}  // namespace deskflip::runtime
