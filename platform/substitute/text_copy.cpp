#include "platform/substitute/text_copy.h"

namespace deskflip::substitute {

char* lstrcpynA(char* destination, const char* source, std::int32_t maxLength) {
  if (destination == nullptr || source == nullptr) return nullptr;
  // The real function takes the length as unsigned: a negative one does not stop the copy before the zero.
  auto room = static_cast<std::uint32_t>(maxLength);
  char* out = destination;
  while (room > 1 && *source != '\0') {
    *out++ = *source++;
    --room;
  }
  if (room != 0) *out = '\0';
  return destination;
}

}  // namespace deskflip::substitute
