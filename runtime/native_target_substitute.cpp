// Resolving and calling bindings on Linux, over the substitute platform's libraries.
#include "platform/substitute/libraries.h"
#include "runtime/native_target.h"

namespace deskflip::runtime {

NativeTarget resolveNativeTarget(const char* library, const char* function) {
  return substitute::findFunction(library, function);
}

Word callNativeTarget(NativeTarget target, std::span<const Word> arguments, bool* balanced) {
  return target(arguments.data(), arguments.size(), balanced);
}

}  // namespace deskflip::runtime
