#include "runtime/bindings.h"

#include <array>
#include <atomic>
#include <cstdio>

#include "runtime/binding_overrides.h"
#include "runtime/fatal_error.h"
#include "runtime/runtime_texts.h"

namespace deskflip::runtime {
namespace {

constexpr const char* kKernel32 = "Kernel32.dll";

constexpr std::array<BindingInfo, kBindingCount> kDefaultBindings = {{
    {kKernel32, "GetLastError"},
    {kKernel32, "GetSystemInfo"},
    {kKernel32, "SetEnvironmentVariableA"},
    {"User32.dll", "GetKeyState"},
    {"user32.dll", "keybd_event"},
    {kKernel32, "InitializeCriticalSectionAndSpinCount"},
    {kKernel32, "GetProcessHeap"},
    {kKernel32, "HeapAlloc"},
    {kKernel32, "RtlFillMemory"},
    {kKernel32, "RtlMoveMemory"},
    {kKernel32, "RtlZeroMemory"},
    {"kernel32", "lstrcpynA"},
    {kKernel32, "HeapCreate"},
    {kKernel32, "HeapDestroy"},
    {kKernel32, "HeapReAlloc"},
    {kKernel32, "HeapFree"},
    {kKernel32, "HeapCompact"},
    {kKernel32, "HeapSize"},
    {kKernel32, "SetCriticalSectionSpinCount"},
    {kKernel32, "EnterCriticalSection"},
    {kKernel32, "LeaveCriticalSection"},
    {kKernel32, "TryEnterCriticalSection"},
    {kKernel32, "DeleteCriticalSection"},
}};

constexpr int kStackUnbalancedError = 6;

std::array<BindingInfo, kBindingCount> bindings = kDefaultBindings;

// Resolved once, then read by whichever thread calls; every writer stores the same export.
std::array<std::atomic<NativeTarget>, kBindingCount> resolvedTargets{};
std::array<BindingOverride, kBindingCount> overrides;

std::size_t indexOf(Binding binding) { return static_cast<std::size_t>(binding); }

NativeTarget resolve(Binding binding) {
  std::atomic<NativeTarget>& slot = resolvedTargets[indexOf(binding)];
  NativeTarget target = slot.load(std::memory_order_acquire);
  if (target != nullptr) return target;

  const BindingInfo& info = bindingInfo(binding);
  target = resolveNativeTarget(info.library, info.function);
  if (target == nullptr) {
    char message[512];
    std::snprintf(message, sizeof message, texts::kMissingFunctionFormat, info.library, info.function);
    fatalRuntimeError(message);
  }
  slot.store(target, std::memory_order_release);
  return target;
}

}  // namespace

const BindingInfo& bindingInfo(Binding binding) { return bindings.at(indexOf(binding)); }

Word invokeBinding(Binding binding, std::span<const Word> arguments) {
  if (const BindingOverride& replacement = overrides[indexOf(binding)]) return replacement(arguments);
  return invokePlatformFunction(binding, arguments);
}

Word invokePlatformFunction(Binding binding, std::span<const Word> arguments) {
  bool balanced = true;
  const Word result = callNativeTarget(resolve(binding), arguments, &balanced);
  if (!balanced) reportRuntimeError(kStackUnbalancedError, static_cast<int>(binding), 0);
  return result;
}

void setBindingOverride(Binding binding, BindingOverride replacement) {
  overrides.at(indexOf(binding)) = std::move(replacement);
}

void setNativeTarget(Binding binding, NativeTarget target) {
  resolvedTargets.at(indexOf(binding)).store(target, std::memory_order_release);
}

void setBindingInfo(Binding binding, BindingInfo info) {
  bindings.at(indexOf(binding)) = info;
  resolvedTargets[indexOf(binding)].store(nullptr, std::memory_order_release);
}

void resetBindings() {
  bindings = kDefaultBindings;
  for (std::size_t i = 0; i < kBindingCount; ++i) {
    overrides[i] = nullptr;
    resolvedTargets[i].store(nullptr, std::memory_order_release);
  }
}

}  // namespace deskflip::runtime
