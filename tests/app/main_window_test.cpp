// The main window and its handlers over the in-memory window system: what the user sees and what each control,
// the timer and the tray icon do.
#include <gtest/gtest.h>

#include <string>

#include "app/app_texts.h"
#include "app/main_window.h"
#include "runtime/exit_hooks.h"
#include "runtime/headless_window.h"
#include "runtime/memory.h"
#include "runtime/window_runtime.h"
#include "tests/common/binding_fakes.h"
#include "toggle/desktop_toggle.h"
#include "toggle/virtual_keys.h"

namespace deskflip::app {
namespace {

namespace headless = runtime::headless;
namespace property = runtime::property;
using runtime::dispatch::kContextMenu;
using runtime::dispatch::kLeftButtonDoubleClick;
using runtime::dispatch::kLeftButtonUp;
using runtime::dispatch::kRightButtonUp;

constexpr std::size_t kTimerIndex = 1;
constexpr std::size_t kEditIndex = 4;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::reset();
    toggle::desktopCount = toggle::currentDesktop = 0;
    runtime::setProgramWindows(programWindows());
    runtime::prepareRuntime();
    runtime::loadStartWindow(kMainWindow);
  }
  void TearDown() override {
    headless::reset();
    runtime::clearExitHooks();
  }

  headless::WindowState& window() { return *headless::window(); }
  std::uint32_t timerPeriod() { return window().timerPeriods[kTimerIndex]; }
  std::string boxText() { return window().controls[kEditIndex].text; }
  void setBoxText(const std::string& text) { window().controls[kEditIndex].text = text; }
  // Log entries since the mark.
  std::vector<std::string> logSince(std::size_t mark) {
    return {headless::log().begin() + static_cast<std::ptrdiff_t>(mark), headless::log().end()};
  }

  testing::BindingReset bindings_;
  testing::FakeInput input_;
};

TEST_F(MainWindow, StartsCentredVisibleWithTheTrayIconAddedBeforeItIsShown) {
  EXPECT_EQ(window().rect.left, (1024 - 365) / 2);
  EXPECT_EQ(window().rect.top, (768 - 233) / 2);
  EXPECT_EQ(window().rect.width, 365);
  EXPECT_EQ(window().rect.height, 233);
  EXPECT_TRUE(window().visible);
  const auto& log = headless::log();
  const auto trayAdded = std::find(log.begin(), log.end(), "tray add");
  ASSERT_NE(trayAdded, log.end());
  EXPECT_NE(std::find(trayAdded, log.end(), "show"), log.end());
  EXPECT_EQ(headless::tray().tip, texts::kTrayTip);
  EXPECT_EQ(headless::tray().iconWidth, 32);
  EXPECT_EQ(headless::tray().iconHeight, 32);
  EXPECT_EQ(timerPeriod(), 0u);
}

TEST_F(MainWindow, CentringUsesTruncatingDivisionOnOddScreens) {
  headless::reset();
  headless::setScreenSize(1023, 767);
  runtime::prepareRuntime();
  runtime::loadStartWindow(kMainWindow);
  EXPECT_EQ(window().rect.left, 329);  // (1023 - 365) / 2
  EXPECT_EQ(window().rect.top, 267);   // (767 - 233) / 2
}

TEST_F(MainWindow, ControlsCarryTheirTexts) {
  EXPECT_EQ(window().controls[2].text, texts::kStopButtonText);
  EXPECT_EQ(window().controls[3].text, texts::kStartButtonText);
  EXPECT_EQ(boxText(), "2");
  EXPECT_EQ(window().controls[5].text, texts::kLabelText);
}

TEST_F(MainWindow, StartClickStartsTheTimerHandsOverTheNumberAndHides) {
  setBoxText("7");
  headless::click(kStartButton);
  EXPECT_EQ(timerPeriod(), 50u);
  EXPECT_EQ(toggle::desktopCount, 7);
  EXPECT_EQ(toggle::currentDesktop, 7);
  EXPECT_FALSE(window().visible);
}

TEST_F(MainWindow, AnEmptyBoxGivesZero) {
  toggle::desktopCount = toggle::currentDesktop = 5;
  setBoxText("");
  headless::click(kStartButton);
  EXPECT_EQ(toggle::desktopCount, 0);
  EXPECT_EQ(toggle::currentDesktop, 0);
}

TEST_F(MainWindow, TheTimerTicksEveryFiftyMillisecondsAndFlipsOnTheMiddleButton) {
  headless::click(kStartButton);
  input_.states[toggle::VK_MBUTTON] = 0xFF80;
  headless::advanceTime(49);
  EXPECT_TRUE(input_.sent.empty());
  headless::advanceTime(1);
  EXPECT_EQ(input_.sent.size(), 6u);  // one chord
  EXPECT_EQ(toggle::currentDesktop, 1);
  headless::advanceTime(50);
  EXPECT_EQ(input_.sent.size(), 12u);
  EXPECT_EQ(toggle::currentDesktop, 2);
}

TEST_F(MainWindow, ASecondStartClickKeepsTheRunningTimerAndReadsTheBoxAgain) {
  headless::click(kStartButton);
  headless::trayNotify(kLeftButtonUp);
  headless::advanceTime(30);
  const std::size_t mark = headless::log().size();
  setBoxText("4");
  headless::click(kStartButton);
  for (const std::string& entry : logSince(mark)) EXPECT_EQ(entry.rfind("timer", 0), std::string::npos) << entry;
  EXPECT_EQ(toggle::desktopCount, 4);
  EXPECT_FALSE(window().visible);
  // Not restarted: the tick still comes 50 ms after the first start.
  input_.states[toggle::VK_MBUTTON] = 0xFF80;
  headless::advanceTime(20);
  EXPECT_EQ(input_.sent.size(), 6u);
}

TEST_F(MainWindow, StopClickStopsTheTimerAndChangesNothingWhenStopped) {
  headless::click(kStartButton);
  headless::click(kStopButton);
  EXPECT_EQ(timerPeriod(), 0u);
  input_.states[toggle::VK_MBUTTON] = 0xFF80;
  headless::advanceTime(500);
  EXPECT_TRUE(input_.sent.empty());

  headless::trayNotify(kLeftButtonUp);
  const std::size_t mark = headless::log().size();
  headless::click(kStopButton);
  EXPECT_TRUE(logSince(mark).empty());
  EXPECT_TRUE(window().visible);
}

TEST_F(MainWindow, TimerPeriodRules) {
  runtime::setProperty(kMainWindow, kTimer, property::kTimerPeriod, -20);  // counts as 0: already stopped
  EXPECT_EQ(runtime::getProperty(kMainWindow, kTimer, property::kTimerPeriod), 0);
  runtime::setProperty(kMainWindow, kTimer, property::kTimerPeriod, 50);
  const std::size_t mark = headless::log().size();
  runtime::setProperty(kMainWindow, kTimer, property::kTimerPeriod, 50);
  EXPECT_TRUE(logSince(mark).empty());
  runtime::setProperty(kMainWindow, kTimer, property::kTimerPeriod, -1);
  EXPECT_EQ(timerPeriod(), 0u);
  EXPECT_EQ(logSince(mark), std::vector<std::string>{"timer stop"});
}

TEST_F(MainWindow, TrayClickShowsAHiddenWindowCentredAndActive) {
  headless::click(kStartButton);
  window().rect.left = 5;  // the user had moved it
  headless::trayNotify(kLeftButtonUp);
  EXPECT_TRUE(window().visible);
  EXPECT_TRUE(window().active);
  EXPECT_EQ(window().rect.left, 329);
  EXPECT_EQ(window().rect.top, 267);
}

TEST_F(MainWindow, TrayClickRestoresAMinimisedWindowThenCentresIt) {
  headless::minimize();
  const std::size_t mark = headless::log().size();
  headless::trayNotify(kLeftButtonUp);
  EXPECT_FALSE(window().minimized);
  EXPECT_EQ(logSince(mark), (std::vector<std::string>{"show", "restore"}));  // already centred: not moved
}

TEST_F(MainWindow, TrayClickOnAVisibleCentredWindowMovesNothing) {
  const std::size_t mark = headless::log().size();
  headless::trayNotify(kLeftButtonUp);
  for (const std::string& entry : logSince(mark)) EXPECT_EQ(entry.rfind("move", 0), std::string::npos);
}

TEST_F(MainWindow, PlacementActsOnlyWhileVisibleAndIsClamped) {
  runtime::setProperty(kMainWindow, kWindowUnit, property::kVisible, 0);
  window().rect.left = 0;
  runtime::setProperty(kMainWindow, kWindowUnit, property::kPlacement, 1);
  EXPECT_EQ(window().rect.left, 0);
  EXPECT_EQ(runtime::getProperty(kMainWindow, kWindowUnit, property::kPlacement), 1);
  runtime::setProperty(kMainWindow, kWindowUnit, property::kPlacement, 9);
  EXPECT_EQ(runtime::getProperty(kMainWindow, kWindowUnit, property::kPlacement), 3);
  runtime::setProperty(kMainWindow, kWindowUnit, property::kPlacement, -4);
  EXPECT_EQ(runtime::getProperty(kMainWindow, kWindowUnit, property::kPlacement), 0);
  runtime::setProperty(kMainWindow, kWindowUnit, property::kVisible, 1);
  runtime::setProperty(kMainWindow, kWindowUnit, property::kPlacement, 7);
  EXPECT_TRUE(window().maximized);
}

TEST_F(MainWindow, TrayOperationsFromNotifications) {
  struct Case {
    std::uint32_t notification;
    std::int32_t operation;
  };
  const Case cases[] = {{kLeftButtonUp, 1},  {kLeftButtonDoubleClick, 2}, {kRightButtonUp, 3},
                        {kContextMenu, 3},   {0x0201, 0} /* left press */, {0x0200, 0} /* move */,
                        {0x0204, 0} /* right press */};
  for (const Case& c : cases) EXPECT_EQ(runtime::dispatch::trayOperationFor(c.notification), c.operation);
}

TEST_F(MainWindow, RightClickAndOtherOperationsDoNothing) {
  headless::click(kStartButton);
  const std::size_t mark = headless::log().size();
  headless::trayNotify(kRightButtonUp);
  headless::trayNotify(kContextMenu);
  handleTrayEvent(0);
  handleTrayEvent(-1);
  handleTrayEvent(42);
  EXPECT_TRUE(logSince(mark).empty());
  EXPECT_FALSE(window().visible);
}

TEST_F(MainWindow, SpinStepsTheBoxSelectsItAndFocusesIt) {
  struct Case {
    const char* from;
    std::int32_t delta;
    const char* to;
  };
  const Case cases[] = {{"2", +1, "3"}, {"100", +1, "1"}, {"1", -1, "100"}, {"2", -1, "1"}, {" 12x", +1, "13"}};
  for (const Case& c : cases) {
    setBoxText(c.from);
    window().focusedUnit = -1;
    headless::spin(kEditBox, c.delta);
    EXPECT_EQ(boxText(), c.to) << c.from;
    EXPECT_TRUE(window().controls[kEditIndex].allSelected);
    EXPECT_EQ(window().focusedUnit, static_cast<std::int32_t>(kEditIndex));
  }
}

TEST_F(MainWindow, SpinDoesNothingWhileTheBoxIsDisabled) {
  window().controls[kEditIndex].enabled = false;
  headless::spin(kEditBox, +1);
  EXPECT_EQ(boxText(), "2");
}

TEST_F(MainWindow, TypingIntoTheBoxChangesNothing) {
  headless::typeInto(kEditBox, "55");
  EXPECT_EQ(boxText(), "2");
}

TEST_F(MainWindow, ContentIsANewBlockAndNoneWhenEmpty) {
  char* first = runtime::getTextProperty(kMainWindow, kEditBox, property::kEditContent);
  char* second = runtime::getTextProperty(kMainWindow, kEditBox, property::kEditContent);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, "2");
  runtime::freeMemory(first);
  runtime::freeMemory(second);
  setBoxText("");
  EXPECT_EQ(runtime::getTextProperty(kMainWindow, kEditBox, property::kEditContent), nullptr);
}

TEST_F(MainWindow, ClosingStopsTheTimerRemovesTheTrayIconAndDestroysTheIcon) {
  headless::click(kStartButton);
  headless::closeWindow();
  EXPECT_EQ(headless::window(), nullptr);
  EXPECT_FALSE(headless::tray().present);
  EXPECT_EQ(headless::liveIcons(), 0);
  const auto& log = headless::log();
  const auto stopped = std::find(log.begin(), log.end(), "timer stop");
  ASSERT_NE(stopped, log.end());
  EXPECT_NE(std::find(stopped, log.end(), "tray delete"), log.end());
}

TEST_F(MainWindow, SettingTheIconAgainReplacesItAndDestroysTheOldOne) {
  const auto before = headless::tray().icon;
  EXPECT_EQ(runtime::setTrayIcon(kMainWindow, fishIconBytes(), "x"), 1);
  EXPECT_EQ(headless::log().back(), "tray modify");
  EXPECT_NE(headless::tray().icon, before);
  EXPECT_EQ(headless::tray().tip, "x");
  EXPECT_EQ(headless::liveIcons(), 1);
}

TEST_F(MainWindow, BytesThatGiveNoIconRemoveTheTrayIcon) {
  const std::uint8_t notAnIcon[] = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(runtime::setTrayIcon(kMainWindow, notAnIcon, "x"), 0);
  EXPECT_FALSE(headless::tray().present);
  EXPECT_EQ(headless::liveIcons(), 0);
  // The program goes on; a later good icon is added again.
  EXPECT_EQ(runtime::setTrayIcon(kMainWindow, fishIconBytes(), "y"), 1);
  EXPECT_TRUE(headless::tray().present);
}

TEST_F(MainWindow, AnIconThatFailsOnceIsMadeOnTheSecondTry) {
  headless::failIconCreation(1);
  EXPECT_EQ(runtime::setTrayIcon(kMainWindow, fishIconBytes(), "x"), 1);
  headless::failIconCreation(2);
  EXPECT_EQ(runtime::setTrayIcon(kMainWindow, fishIconBytes(), "x"), 0);
  EXPECT_FALSE(headless::tray().present);
}

TEST_F(MainWindow, ARestartedTaskbarGetsTheTrayIconAgain) {
  headless::restartTaskbar();
  EXPECT_TRUE(headless::tray().present);
  EXPECT_EQ(headless::tray().tip, texts::kTrayTip);
}

}  // namespace
}  // namespace deskflip::app
