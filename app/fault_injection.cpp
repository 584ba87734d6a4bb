// Only in deskflip_fault.exe: fatal run-time errors on request, and a trace of the exit hook.
#include "app/fault_injection.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/binding_overrides.h"
#include "runtime/bindings.h"
#include "runtime/fatal_error.h"
#include "runtime/memory.h"

namespace deskflip::app {
namespace {

// Declared with one argument but left to the caller to remove (cdecl): called as a platform function (stdcall), it
// leaves the stack four bytes off.
extern "C" __attribute__((cdecl)) deskflip::Word deskflipUnbalancedCall(deskflip::Word argument) { return argument; }

void failStackCheck() {
#if defined(__i386__)
  runtime::setNativeTarget(runtime::Binding::GetLastError, reinterpret_cast<void*>(&deskflipUnbalancedCall));
  runtime::callPlatformFunction(runtime::Binding::GetLastError, 1);
#else
  // x86-64 has one calling convention, so a call cannot unbalance the stack: the check's report stands in for it.
  runtime::reportRuntimeError(6, -1, 0);
#endif
}

}  // namespace

void triggerInjectedFault() {
  const char* fault = std::getenv("DESKFLIP_FAULT");
  if (fault == nullptr) return;
  // Unattended runs read the report from standard error instead of a message box.
  if (std::getenv("DESKFLIP_FAULT_QUIET") != nullptr) runtime::setErrorReporter(&runtime::reportToStandardError);
  if (std::strcmp(fault, "binding") == 0) {
    runtime::setBindingInfo(runtime::Binding::GetLastError, {"kernel32.dll", "DeskflipNoSuchFunction"});
    runtime::callPlatformFunction(runtime::Binding::GetLastError);
  } else if (std::strcmp(fault, "alloc") == 0) {
    runtime::failNextAllocationsForTesting(1);
    runtime::allocateMemory(64);
  } else if (std::strcmp(fault, "stack") == 0) {
    failStackCheck();
  }
}

void traceExitHook() {
  const char* path = std::getenv("DESKFLIP_HOOK_TRACE");
  if (path == nullptr) return;
  if (std::FILE* trace = std::fopen(path, "a")) {
    std::fputs("exit hook\n", trace);
    std::fclose(trace);
  }
}

}  // namespace deskflip::app
