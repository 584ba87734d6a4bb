#pragma once
// The substitute's libraries, looked up by the binding loader as a DLL would be.
#include <span>

#include "platform/substitute/native_entry.h"

namespace deskflip::substitute {

// The functions of each substitute library. Each is defined in the file that implements them.
std::span<const SubstituteFunction> kernel32Functions();
std::span<const SubstituteFunction> user32Functions();

// Finds `function` in the library named `library`. Library names compare without regard to case and with or
// without their ".dll" ending, as Windows loads them; function names compare exactly. Null when either is missing.
NativeEntry findFunction(const char* library, const char* function);

}  // namespace deskflip::substitute
