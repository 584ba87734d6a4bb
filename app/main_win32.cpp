// The process: the run time hosts the program and ends with the quit code.
#include <windows.h>

#include "app/main_window.h"
#include "app/program.h"
#include "runtime/window_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return deskflip::runtime::hostProgram(&deskflip::app::runProgram, deskflip::app::programWindows());
}
