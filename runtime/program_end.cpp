#include "runtime/program_end.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/exit_hooks.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace deskflip::runtime {
namespace {
ShutdownStages stages;
}

void setShutdownStages(ShutdownStages newStages) { stages = newStages; }

void applicationShutdown() {
  if (stages.releaseWindows != nullptr) stages.releaseWindows();
  runExitHooks();
  if (stages.releaseResources != nullptr) stages.releaseResources();
}

void endProgram(std::int32_t exitCode) {
  applicationShutdown();
  std::fflush(nullptr);
#ifdef _WIN32
  ExitProcess(static_cast<UINT>(exitCode));
#else
  std::_Exit(exitCode);
#endif
}

}  // namespace deskflip::runtime
