// The main window as data: its units in creation order and the events bound to the program's handlers.
#include "app/app_texts.h"
#include "app/main_window.h"
#include "toggle/desktop_toggle.h"

namespace deskflip::app {
namespace {

using runtime::Event;
using runtime::UnitType;

constexpr runtime::UnitDescription kUnits[] = {
    // The design position (50, 50) is replaced by centring when the window is loaded.
    {.type = UnitType::Window, .name = "", .id = kWindowUnit, .left = 50, .top = 50, .width = 365, .height = 233,
     .text = ""},
    {.type = UnitType::Timer, .name = texts::kTimerName, .id = kTimer, .left = 296, .top = 72, .width = 16,
     .height = 32, .text = nullptr, .timerPeriod = 0},
    {.type = UnitType::Button, .name = texts::kStopButtonName, .id = kStopButton, .left = 208, .top = 120,
     .width = 120, .height = 40, .text = texts::kStopButtonText},
    {.type = UnitType::Button, .name = texts::kStartButtonName, .id = kStartButton, .left = 32, .top = 120,
     .width = 120, .height = 40, .text = texts::kStartButtonText},
    {.type = UnitType::EditBox, .name = texts::kEditBoxName, .id = kEditBox, .left = 160, .top = 40, .width = 32,
     .height = 32, .text = "2", .readOnly = true,
     .spin = {.attached = true, .minimum = 1, .maximum = 100, .width = 18}},
    {.type = UnitType::Label, .name = texts::kLabelName, .id = kLabel, .left = 40, .top = 40, .width = 120,
     .height = 32, .text = texts::kLabelText},
};

constexpr runtime::EventBinding kEvents[] = {
    {.unit = kWindowUnit, .event = Event::Created, .handler = &handleWindowCreated},
    {.unit = kWindowUnit, .event = Event::WillBeDestroyed, .handler = &handleWindowClosing},
    {.unit = kWindowUnit, .event = Event::TrayEvent, .trayHandler = &handleTrayEvent},
    {.unit = kTimer, .event = Event::Periodic, .handler = &toggle::handleTimerTick},
    {.unit = kStartButton, .event = Event::Click, .handler = &handleStartClick},
    {.unit = kStopButton, .event = Event::Click, .handler = &handleStopClick},
};

constexpr runtime::WindowDescription kMainWindowDescription{kMainWindow, kUnits, kEvents};

}  // namespace

const runtime::WindowDescription& mainWindowDescription() { return kMainWindowDescription; }

std::span<const runtime::WindowDescription> programWindows() { return {&kMainWindowDescription, 1}; }

}  // namespace deskflip::app
