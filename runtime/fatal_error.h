#pragma once
// Fatal run-time errors: out of memory, a missing platform function, an unbalanced platform call. Each is
// reported, the exit hooks are dropped without running, and the program ends with exit code -1.
#include <cstdint>

namespace deskflip::runtime {

inline constexpr std::int32_t kFatalExitCode = -1;

// Shows one error report. Standard error always receives it; on Windows a modal message box follows.
using ErrorReporter = void (*)(const char* message);

// Replaces how reports are shown (null restores the default); tests and unattended runs use it.
void setErrorReporter(ErrorReporter reporter);

// Writes `message` to standard error only: the reporter for runs that nobody watches.
void reportToStandardError(const char* message);

[[noreturn]] void fatalRuntimeError(const char* message);

// Error `number` (1, 4 or 6) at `position` and `line` of the program.
[[noreturn]] void reportRuntimeError(int number, int position, int line);

}  // namespace deskflip::runtime
