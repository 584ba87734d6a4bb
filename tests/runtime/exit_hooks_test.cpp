#include <gtest/gtest.h>

#include <string>

#include "runtime/exit_hooks.h"
#include "runtime/program_end.h"

namespace deskflip::runtime {
namespace {

std::string trace;
void hookA() { trace += "A"; }
void hookB() { trace += "B"; }

class ExitHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    clearExitHooks();
    trace.clear();
  }
  void TearDown() override {
    clearExitHooks();
    setShutdownStages({});
  }
};

TEST_F(ExitHooks, RunOnceInRegistrationOrderAndNeverTwice) {
  registerExitHook(&hookB);
  registerExitHook(&hookA);
  registerExitHook(&hookB);  // already held: no change
  runExitHooks();
  EXPECT_EQ(trace, "BA");
  runExitHooks();  // the list is empty now
  EXPECT_EQ(trace, "BA");
}

TEST_F(ExitHooks, ClearingDropsThemUnrun) {
  registerExitHook(&hookA);
  clearExitHooks();
  runExitHooks();
  EXPECT_EQ(trace, "");
}

TEST_F(ExitHooks, ApplicationShutdownReleasesWindowsThenRunsHooksThenReleasesTheRest) {
  setShutdownStages({[] { trace += "windows,"; }, [] { trace += ",rest"; }});
  registerExitHook(&hookA);
  applicationShutdown();
  EXPECT_EQ(trace, "windows,A,rest");
  trace.clear();
  applicationShutdown();  // the run time's final clean-up: no hook again
  EXPECT_EQ(trace, "windows,,rest");
}

TEST_F(ExitHooks, EndProgramRunsTheHooksAndExitsWithTheCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        registerExitHook([] { std::fputs("hook ran", stderr); });
        endProgram(3);
      },
      ::testing::ExitedWithCode(3), "hook ran");
}

}  // namespace
}  // namespace deskflip::runtime
