#pragma once
// The program's entry and its global objects.
#include <cstdint>

namespace deskflip::app {

// Prepares the run time, builds the globals, registers their release as the exit hook, starts the support module,
// loads the main window and runs the message loop. Returns 0 once the loop has ended.
std::int32_t runProgram();

// The support module's globals: built once here, released by the exit hook.
void constructGlobals();
void destroyGlobals();

}  // namespace deskflip::app
