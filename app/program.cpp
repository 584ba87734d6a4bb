#include "app/program.h"

#include "app/fault_injection.h"
#include "app/main_window.h"
#include "runtime/exit_hooks.h"
#include "runtime/window_runtime.h"
#include "support/module_globals.h"

namespace deskflip::app {
namespace {

// The main code set's start-up: this program has nothing to do there.
void startMainCodeSet() {}

}  // namespace

void constructGlobals() { support::constructModuleGlobals(); }

void destroyGlobals() {
  support::destroyModuleGlobals();
  traceExitHook();
}

std::int32_t runProgram() {
  runtime::prepareRuntime();
  constructGlobals();
  runtime::registerExitHook(&destroyGlobals);
  startMainCodeSet();
  support::startSupportModule();
  runtime::loadStartWindow(kMainWindow);
  runtime::runMessageLoop();
  return 0;
}

}  // namespace deskflip::app
