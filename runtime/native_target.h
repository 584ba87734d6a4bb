#pragma once
// What a resolved binding points at, and how it is called, on each platform.
#include <span>

#include "runtime/word.h"

#ifdef _WIN32
namespace deskflip::runtime {
using NativeTarget = void*;  // an export found by GetProcAddress
}
#else
#include "platform/substitute/native_entry.h"
namespace deskflip::runtime {
using NativeTarget = substitute::NativeEntry;
}
#endif

namespace deskflip::runtime {

// Looks `function` up in `library`: first in the program's own folder, then wherever the system finds it.
// Null when either is missing.
NativeTarget resolveNativeTarget(const char* library, const char* function);

// Calls `target` with `arguments`. `balanced` becomes false when the call left the stack pointer elsewhere than
// before it, which only the x86-32 stdcall convention (the callee removes its arguments) makes possible.
Word callNativeTarget(NativeTarget target, std::span<const Word> arguments, bool* balanced);

}  // namespace deskflip::runtime
