#pragma once
// Names the run time's windows are known by, also to a second launch of the program that looks for the first.
#include <windows.h>

namespace deskflip::runtime {

inline constexpr char kMainWindowClass[] = "deskflip.window";
inline constexpr char kOwnerWindowClass[] = "deskflip.owner";
// Sent by a second launch to the running program's window: come forward, shown and centred.
inline constexpr UINT kShowRunningInstanceMessage = WM_APP + 101;

}  // namespace deskflip::runtime
