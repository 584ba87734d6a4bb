// The substitute's kernel32: the table the binding loader searches.
#include "platform/substitute/last_error.h"
#include "platform/substitute/libraries.h"

namespace deskflip::substitute {

std::span<const SubstituteFunction> kernel32Functions() {
  static constexpr SubstituteFunction kFunctions[] = {
      {"GetLastError", &entry<&GetLastError>},
  };
  return kFunctions;
}

}  // namespace deskflip::substitute
