#pragma once
// The program's platform-function bindings: every Win32 function the program calls by name, in table order, each
// resolved from its library at its first call and cached from then on.
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "runtime/word.h"

namespace deskflip::runtime {

enum class Binding : int {
  GetLastError,
  GetSystemInfo,
  SetEnvironmentVariableA,
  GetKeyState,
  keybd_event,
  InitializeCriticalSectionAndSpinCount,
  GetProcessHeap,
  HeapAlloc,
  RtlFillMemory,
  RtlMoveMemory,
  RtlZeroMemory,
  lstrcpynA,
  HeapCreate,
  HeapDestroy,
  HeapReAlloc,
  HeapFree,
  HeapCompact,
  HeapSize,
  SetCriticalSectionSpinCount,
  EnterCriticalSection,
  LeaveCriticalSection,
  TryEnterCriticalSection,
  DeleteCriticalSection,
};
inline constexpr std::size_t kBindingCount = 23;

struct BindingInfo {
  const char* library;
  const char* function;
};

const BindingInfo& bindingInfo(Binding binding);

// Calls the bound function with `arguments`, one word each. A function that cannot be found, or a call that leaves
// the stack unbalanced, is a fatal run-time error.
Word invokeBinding(Binding binding, std::span<const Word> arguments);

template <class T>
constexpr Word toWord(T value) {
  if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
    return reinterpret_cast<Word>(value);
  } else if constexpr (std::is_signed_v<T>) {
    return static_cast<Word>(static_cast<std::intptr_t>(value));
  } else {
    return static_cast<Word>(value);
  }
}

template <class... Args>
Word callPlatformFunction(Binding binding, Args... arguments) {
  const Word words[sizeof...(Args) + 1] = {toWord(arguments)..., 0};
  return invokeBinding(binding, std::span<const Word>(words, sizeof...(Args)));
}

}  // namespace deskflip::runtime
