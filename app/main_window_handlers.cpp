// What the window's buttons, tray icon and lifecycle do.
#include "app/app_texts.h"
#include "app/fault_injection.h"
#include "app/main_window.h"
#include "runtime/memory.h"
#include "runtime/program_end.h"
#include "runtime/text_to_integer.h"
#include "runtime/window_runtime.h"
#include "toggle/desktop_toggle.h"

namespace deskflip::app {

using runtime::setProperty;
namespace property = runtime::property;

void handleWindowCreated() {
  runtime::setTrayIcon(kMainWindow, fishIconBytes(), texts::kTrayTip);
  triggerInjectedFault();
}

void handleStartClick() {
  setProperty(kMainWindow, kTimer, property::kTimerPeriod, kTickPeriodMs);
  char* content = runtime::getTextProperty(kMainWindow, kEditBox, property::kEditContent);
  const std::int32_t lastDesktop = runtime::textToInteger(content != nullptr ? content : "");
  if (content != nullptr) runtime::freeMemory(content);
  toggle::desktopCount = lastDesktop;
  toggle::currentDesktop = lastDesktop;
  setProperty(kMainWindow, kWindowUnit, property::kVisible, 0);
}

void handleStopClick() { setProperty(kMainWindow, kTimer, property::kTimerPeriod, 0); }

void handleTrayEvent(std::int32_t operation) {
  if (operation == 1) {
    setProperty(kMainWindow, kWindowUnit, property::kVisible, 1);
    setProperty(kMainWindow, kWindowUnit, property::kPlacement, 1);
  } else if (operation == 2) {
    setProperty(kMainWindow, kTimer, property::kTimerPeriod, 0);
    runtime::endProgram(0);
  }
}

void handleWindowClosing() { setProperty(kMainWindow, kTimer, property::kTimerPeriod, 0); }

}  // namespace deskflip::app
