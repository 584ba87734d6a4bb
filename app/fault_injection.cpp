// Only in deskflip_fault.exe: fatal run-time errors on request, and a trace of the exit hook.
#include "app/fault_injection.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/binding_overrides.h"
#include "runtime/bindings.h"
#include "runtime/fatal_error.h"
#include "runtime/memory.h"
#include "support/environment_marker.h"
#include "support/memory_pool.h"
#include "support/module_globals.h"

// Last: its HEAP_* macros would rewrite the support module's constants of the same names.
#include <windows.h>

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

// The marker as UTF-8, read with the wide function: the 8-bit one would hand back the GBK bytes cut short.
void writeMarker(std::FILE* trace) {
  wchar_t name[16];
  MultiByteToWideChar(CP_ACP, 0, support::kMarkerName, -1, name, 16);
  wchar_t value[64];
  const DWORD length = GetEnvironmentVariableW(name, value, 64);
  char utf8[256] = "";
  if (length > 0 && length < 64) WideCharToMultiByte(CP_UTF8, 0, value, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::fprintf(trace, "marker=%s\n", utf8);
}

void traceStartup() {
  const char* path = std::getenv("DESKFLIP_STARTUP_TRACE");
  if (path == nullptr) return;
  std::FILE* trace = std::fopen(path, "w");
  if (trace == nullptr) return;
  writeMarker(trace);
  if (support::memoryPool != nullptr) {
    const support::PoolStats stats = support::memoryPool->stats();
    std::fprintf(trace, "initialized=%u\nregionSize=%d\nregions=%u\nfreeCount=%d\n", stats.initialized,
                 stats.regionSize, static_cast<unsigned>(stats.regions.size()), stats.freeCount);
  }
  std::fclose(trace);
}

}  // namespace

void triggerInjectedFault() {
  traceStartup();
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
