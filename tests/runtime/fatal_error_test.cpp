// Fatal run-time errors end the process with -1, say what went wrong and run no exit hook.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/binding_overrides.h"
#include "runtime/bindings.h"
#include "runtime/exit_hooks.h"
#include "runtime/fatal_error.h"
#include "runtime/memory.h"
#include "runtime/runtime_texts.h"
#include "tests/common/binding_fakes.h"
#include "tests/common/exit_status.h"

namespace deskflip::runtime {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kHookTrace[] = "exit hook ran";

// Everything a fatal error must not do is visible: the hook would print, the reporter is the unattended one.
void armFatalPath() {
  setErrorReporter(&reportToStandardError);
  registerExitHook([] { std::fputs(kHookTrace, stderr); });
}

auto reportsAndSkipsHooks(const std::string& message) { return AllOf(HasSubstr(message), Not(HasSubstr(kHookTrace))); }

std::string formatted(const char* format, const char* first, const char* second) {
  char text[256];
  std::snprintf(text, sizeof text, format, first, second);
  return text;
}

class FatalErrors : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  testing::BindingReset reset_;
};

TEST_F(FatalErrors, MissingFunctionNamesLibraryAndFunction) {
  const BindingInfo missing{"User32.dll", "NoSuchExport"};
  EXPECT_EXIT(
      {
        armFatalPath();
        setBindingInfo(Binding::GetKeyState, missing);
        callPlatformFunction(Binding::GetKeyState, 4);
      },
      testing::fatalExit(), reportsAndSkipsHooks(formatted(texts::kMissingFunctionFormat, "User32.dll", "NoSuchExport")));
}

TEST_F(FatalErrors, MissingLibraryIsFatalToo) {
  EXPECT_EXIT(
      {
        armFatalPath();
        setBindingInfo(Binding::GetKeyState, {"nosuchlibrary.dll", "GetKeyState"});
        callPlatformFunction(Binding::GetKeyState, 4);
      },
      testing::fatalExit(),
      reportsAndSkipsHooks(formatted(texts::kMissingFunctionFormat, "nosuchlibrary.dll", "GetKeyState")));
}

TEST_F(FatalErrors, FailedAllocationNamesTheByteCount) {
  char expected[64];
  std::snprintf(expected, sizeof expected, texts::kAllocationFailedFormat, 4096);
  EXPECT_EXIT(
      {
        armFatalPath();
        failNextAllocationsForTesting(1);
        allocateMemory(4096);
      },
      testing::fatalExit(), reportsAndSkipsHooks(expected));
}

TEST_F(FatalErrors, NegativeAllocationIsAFailureNotAHugeBlock) {
  char expected[64];
  std::snprintf(expected, sizeof expected, texts::kAllocationFailedFormat, -1);
  EXPECT_EXIT(
      {
        armFatalPath();
        allocateMemory(-1);
      },
      testing::fatalExit(), reportsAndSkipsHooks(expected));
}

TEST_F(FatalErrors, ReportedErrorsCarryTheirMessages) {
  const struct {
    int number;
    const char* message;
  } kCases[] = {{1, texts::kIndexOutOfRange}, {4, texts::kIndexBelowOne}, {6, texts::kStackUnbalanced}};
  for (const auto& c : kCases) {
    EXPECT_EXIT(
        {
          armFatalPath();
          reportRuntimeError(c.number, 12, 34);
        },
        testing::fatalExit(), reportsAndSkipsHooks(c.message))
        << "error " << c.number;
  }
}

// A function that takes two arguments, reached through a binding that is called with one.
#if defined(_WIN32) && defined(__i386__)
Word __stdcall takesTwoArguments(Word first, Word second) { return first + second; }
const NativeTarget kTakesTwoArguments = reinterpret_cast<void*>(&takesTwoArguments);
#elif !defined(_WIN32)
Word takesTwoArguments(Word first, Word second) { return first + second; }
const NativeTarget kTakesTwoArguments = &substitute::entry<&takesTwoArguments>;
#endif

TEST_F(FatalErrors, UnbalancedStackAfterACallIsError6) {
#if defined(_WIN32) && !defined(__i386__)
  GTEST_SKIP() << "x86-64 has one calling convention in which the caller removes its own arguments: a call cannot "
                  "unbalance the stack, so there is nothing to check";
#else
  setNativeTarget(Binding::GetKeyState, kTakesTwoArguments);
  EXPECT_EQ(callPlatformFunction(Binding::GetKeyState, 40, 2), 42u);  // the right arity is fine

  EXPECT_EXIT(
      {
        armFatalPath();
        setNativeTarget(Binding::GetKeyState, kTakesTwoArguments);
        callPlatformFunction(Binding::GetKeyState, 4);
      },
      testing::fatalExit(), reportsAndSkipsHooks(texts::kStackUnbalanced));
#endif
}

}  // namespace
}  // namespace deskflip::runtime
