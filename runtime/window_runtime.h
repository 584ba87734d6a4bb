#pragma once
// The window run time's services to the program: windows built from their descriptions, the message loop, unit
// properties and the tray icon. Everything runs on the user-interface thread.
#include <cstdint>
#include <span>

#include "runtime/window_description.h"

namespace deskflip::runtime {

// Where the run time finds the program's window descriptions; the host gives them before the program starts.
void setProgramWindows(std::span<const WindowDescription> descriptions);

// Makes the run time ready before any other service: the window descriptions checked and in place, the window
// classes and common controls registered, and the application shutdown's window and resource stages installed.
// Descriptions that cannot be used are a fatal run-time error.
void prepareRuntime();

// Builds the window and its controls from the description of `window`, runs its created event, then shows it
// (centred on the primary screen). A window that cannot be built is a fatal run-time error.
void loadStartWindow(WindowId window);

// Sets the loop-started mark; returns at once when no loaded window exists, else dispatches messages until the
// quit message. After the last loaded window is destroyed inside the loop, the quit message with code 0 follows.
void runMessageLoop();

// The code of the quit message that ended the loop; 0 while none has arrived.
std::int32_t quitCode();

// Unit properties, effective at once. Unknown windows, units and numbers are ignored (read as 0 / none).
void setProperty(WindowId window, UnitId unit, int number, std::int32_t value);
std::int32_t getProperty(WindowId window, UnitId unit, int number);
// A text property: a new block from allocateMemory that the caller frees with freeMemory; none when empty.
char* getTextProperty(WindowId window, UnitId unit, int number);

// Makes the window's tray icon from the bytes of an ICO file and sets its tip (cut after 62 GBK bytes). The first
// call adds the icon, later ones replace it; bytes that give no icon remove the tray icon. 1 when the window has a
// tray icon from these bytes afterwards, else 0.
int setTrayIcon(WindowId window, std::span<const std::uint8_t> iconBytes, const char* tip);

// Forgets every loaded window, the loop-started mark and the quit code, without destroying anything (tests).
void resetWindowRuntimeForTesting();

}  // namespace deskflip::runtime
