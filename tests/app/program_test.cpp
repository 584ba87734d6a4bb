// The program from start to end over the in-memory window system: the order of start-up, both ways of ending,
// the exit hook and the fatal path.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "app/main_window.h"
#include "app/program.h"
#include "runtime/exit_hooks.h"
#include "runtime/fatal_error.h"
#include "runtime/headless_window.h"
#include "runtime/memory.h"
#include "runtime/program_end.h"
#include "runtime/window_host.h"
#include "runtime/window_runtime.h"
#include "tests/app/support_module_record.h"
#include "tests/common/exit_status.h"

namespace deskflip::app {
namespace {

namespace headless = runtime::headless;
using testing::supportCalls;
using Calls = std::vector<std::string>;

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::reset();
    supportCalls().clear();
    recordPath_ = ::testing::TempDir() + "deskflip_program_record_" + std::to_string(::getpid());
    std::remove(recordPath_.c_str());
    runtime::setErrorReporter(&runtime::reportToStandardError);
  }
  void TearDown() override {
    headless::reset();
    runtime::clearExitHooks();
    runtime::setErrorReporter(nullptr);
    testing::recordSupportCallsTo("");
    std::remove(recordPath_.c_str());
  }

  // Runs the whole process as the run time hosts it, in a child that records the support module's calls to a
  // file; the parent reads them back.
  std::string recordOf(void (*userActions)()) {
    testing::recordSupportCallsTo(recordPath_);
    userActions();
    runtime::hostProgram(&runProgram, programWindows());
    return testing::readRecordFile(recordPath_);
  }

  std::string recordPath_;
};

TEST_F(Program, ClosingTheWindowEndsWithCodeZeroAndTheHookOnceAfterTheWindow) {
  headless::queueUserAction([] { headless::click(kStartButton); });
  headless::queueUserAction([] { headless::closeWindow(); });
  EXPECT_EQ(runtime::hostProgram(&runProgram, programWindows()), 0);
  EXPECT_FALSE(headless::loopRanDry());
  EXPECT_EQ(supportCalls(), (Calls{"construct (window gone)", "start (window gone)", "destroy (window gone)"}));
}

TEST_F(Program, StartUpOrderBeforeTheLoop) {
  // The loop has nothing to do: it ends without a quit message, and the log shows the start-up order.
  runProgram();
  EXPECT_TRUE(headless::loopRanDry());
  EXPECT_EQ(supportCalls(), (Calls{"construct (window gone)", "start (window gone)"}));
  const auto& log = headless::log();
  const std::vector<std::string> expected = {"prepare", "create 329 267", "tray add", "show"};
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4), expected);
}

TEST_F(Program, TheSecondShutdownRunsNoHook) {
  headless::queueUserAction([] { headless::closeWindow(); });
  runProgram();
  runtime::applicationShutdown();
  runtime::applicationShutdown();
  EXPECT_EQ(std::count(supportCalls().begin(), supportCalls().end(), "destroy (window gone)"), 1);
}

TEST_F(Program, TheMessageLoopWithoutAWindowReturnsAtOnce) {
  runtime::setProgramWindows(programWindows());
  runtime::prepareRuntime();
  runtime::runMessageLoop();
  EXPECT_FALSE(headless::loopRanDry());  // no message was waited for
  EXPECT_EQ(runtime::quitCode(), 0);
}

TEST_F(Program, TheTrayExitEndsWithCodeZeroAndTheHookOnceAfterTheWindow) {
  EXPECT_EXIT(recordOf([] {
                headless::queueUserAction([] { headless::click(kStartButton); });
                // A double-click: release, double-click, as the system reports it.
                headless::queueUserAction([] { headless::trayNotify(runtime::dispatch::kLeftButtonUp); });
                headless::queueUserAction([] { headless::trayNotify(runtime::dispatch::kLeftButtonDoubleClick); });
              }),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(testing::readRecordFile(recordPath_),
            "construct (window gone)\nstart (window gone)\ndestroy (window gone)\n");
}

TEST_F(Program, AFatalErrorEndsWithMinusOneAndNoHook) {
  EXPECT_EXIT(recordOf([] {
                // Reading the box on the start click needs memory, which has run out.
                headless::queueUserAction([] {
                  runtime::failNextAllocationsForTesting(1);
                  headless::click(kStartButton);
                });
              }),
              testing::fatalExit(), "");
  EXPECT_EQ(testing::readRecordFile(recordPath_), "construct (window gone)\nstart (window gone)\n");
}

TEST_F(Program, AWindowThatCannotBeLoadedIsFatalAndRunsNoHook) {
  EXPECT_EXIT(
      {
        testing::recordSupportCallsTo(recordPath_);
        runtime::setProgramWindows(programWindows());
        runtime::prepareRuntime();
        runtime::registerExitHook(&destroyGlobals);
        runtime::loadStartWindow(1);  // no such window
      },
      testing::fatalExit(), "");
  EXPECT_EQ(testing::readRecordFile(recordPath_), "");
}

}  // namespace
}  // namespace deskflip::app
