#pragma once
// The substitute's copy of a text into a buffer of limited length.
#include <cstdint>

namespace deskflip::substitute {

// Copies at most `maxLength` - 1 bytes of `source` and a terminating zero into `destination`; writes nothing when
// `maxLength` is 0. Returns `destination`, or null when either address is null.
char* lstrcpynA(char* destination, const char* source, std::int32_t maxLength);

}  // namespace deskflip::substitute
