#pragma once
// The fault build (deskflip_fault.exe) forces a fatal run-time error on request and records whether the exit hook
// ran, so the end of the program on the fatal path can be watched from outside. The product has none of this.

namespace deskflip::app {

#ifdef DESKFLIP_FAULT_BUILD
// When the window is created: with DESKFLIP_STARTUP_TRACE=<file>, what the support module's start-up left behind
// (the environment marker, the pool's figures) is written to that file. Then DESKFLIP_FAULT=binding|alloc|stack:
// a missing platform function, an allocation the heap refuses, or a platform call that leaves the stack
// unbalanced. Anything else (or nothing): no fault.
void triggerInjectedFault();
// Appends "exit hook" to the file named by DESKFLIP_HOOK_TRACE, if set.
void traceExitHook();
#else
inline void triggerInjectedFault() {}
inline void traceExitHook() {}
#endif

}  // namespace deskflip::app
