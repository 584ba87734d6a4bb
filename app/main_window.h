#pragma once
// The program's one window: its identifiers, its description and the handlers bound to its events.
#include <cstdint>
#include <span>

#include "runtime/window_description.h"

namespace deskflip::app {

inline constexpr runtime::WindowId kMainWindow = 1375797249;
inline constexpr runtime::UnitId kWindowUnit = 100728832;
inline constexpr runtime::UnitId kTimer = 369194454;        // 时钟1
inline constexpr runtime::UnitId kStopButton = 369194451;   // 按钮2
inline constexpr runtime::UnitId kStartButton = 369184783;  // 按钮1
inline constexpr runtime::UnitId kEditBox = 369184774;      // 编辑框1
inline constexpr runtime::UnitId kLabel = 369184758;        // 标签1

inline constexpr std::int32_t kTickPeriodMs = 50;

const runtime::WindowDescription& mainWindowDescription();
// Every window of the program: the main window.
std::span<const runtime::WindowDescription> programWindows();

// Sets the tray icon (the fish) and its tip; runs before the window is first shown.
void handleWindowCreated();
// Starts the timer, hands the box's number to the desktop toggle and hides the window.
void handleStartClick();
// Stops the timer.
void handleStopClick();
// 1 (click): the window shown and centred; 2 (double-click): the timer stopped and the program ended, code 0.
void handleTrayEvent(std::int32_t operation);
// Stops the timer as the window goes.
void handleWindowClosing();

// The tray icon: an ICO file with one 32 x 32 image with alpha, a grey fish outline.
std::span<const std::uint8_t> fishIconBytes();

}  // namespace deskflip::app
