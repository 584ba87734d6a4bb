#pragma once
// The application shutdown and the end of the process.
#include <cstdint>

namespace deskflip::runtime {

// The window half of the run time plugs its clean-up in here: releasing the window descriptions and every window
// made from them (a window that still exists is destroyed), and releasing whatever else it holds.
struct ShutdownStages {
  void (*releaseWindows)() = nullptr;
  void (*releaseResources)() = nullptr;
};
void setShutdownStages(ShutdownStages stages);

// In this order: windows released, exit hooks run (once; the list is emptied), remaining resources released.
void applicationShutdown();

// Performs the application shutdown, then ends the process with `exitCode`. Does not return.
[[noreturn]] void endProgram(std::int32_t exitCode);

}  // namespace deskflip::runtime
