#pragma once
// The run time as the owner of the process: it calls the program's entry and ends the process after it.
#include <cstdint>
#include <span>

#include "runtime/window_description.h"

namespace deskflip::runtime {

using ProgramEntry = std::int32_t (*)();

// Makes `windows` the program's window descriptions and calls `program` once, then performs the application shutdown, then the final clean-up (a second shutdown pass,
// which finds no exit hook left); returns the code of the quit message that ended the loop, the process exit code.
// When the program is already running, the running one is asked to show its window instead and 0 is returned
// without calling `program`.
std::int32_t hostProgram(ProgramEntry program, std::span<const WindowDescription> windows);

namespace backend {
// True when another launch of the program is running and has been asked to come forward.
bool forwardToRunningInstance();
}  // namespace backend

}  // namespace deskflip::runtime
