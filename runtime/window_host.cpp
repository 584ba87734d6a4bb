#include "runtime/window_host.h"

#include "runtime/program_end.h"
#include "runtime/window_runtime.h"

namespace deskflip::runtime {

std::int32_t hostProgram(ProgramEntry program, std::span<const WindowDescription> windows) {
  if (backend::forwardToRunningInstance()) return 0;
  setProgramWindows(windows);
  program();
  applicationShutdown();
  applicationShutdown();  // the final clean-up
  return quitCode();
}

}  // namespace deskflip::runtime
