#include "runtime/fatal_error.h"

#include <cstdio>

#include "runtime/exit_hooks.h"
#include "runtime/program_end.h"
#include "runtime/runtime_texts.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace deskflip::runtime {
namespace {

void reportToUser(const char* message) {
  reportToStandardError(message);
#ifdef _WIN32
  MessageBoxA(nullptr, message, texts::kErrorCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
#endif
}

ErrorReporter currentReporter = &reportToUser;

const char* messageOf(int number) {
  switch (number) {
    case 1: return texts::kIndexOutOfRange;
    case 4: return texts::kIndexBelowOne;
    case 6: return texts::kStackUnbalanced;
    default: return nullptr;
  }
}

}  // namespace

void setErrorReporter(ErrorReporter reporter) { currentReporter = reporter != nullptr ? reporter : &reportToUser; }

void reportToStandardError(const char* message) {
  std::fputs(message, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void fatalRuntimeError(const char* message) {
  currentReporter(message);
  clearExitHooks();
  endProgram(kFatalExitCode);
}

void reportRuntimeError(int number, int position, int line) {
  char report[256];
  if (const char* message = messageOf(number)) {
    std::snprintf(report, sizeof report, "%s (#%d, %d:%d)", message, number, position, line);
  } else {
    std::snprintf(report, sizeof report, "#%d (%d:%d)", number, position, line);
  }
  fatalRuntimeError(report);
}

}  // namespace deskflip::runtime
