#pragma once
#include <cstdint>

namespace deskflip::runtime {

// The number at the start of a GBK text: full-width forms (A3A1 to A3FE) and the ideographic blank (A1A1) first
// read as their ASCII counterparts; then leading white space is skipped, an optional sign taken, and decimal digits
// read up to the first other character. No digits give 0; a value beyond 32 bits gives 2147483647 or
// -2147483648. So "2.7" gives 2 and "12abc" gives 12. None (null) reads as the empty text.
std::int32_t textToInteger(const char* text);

}  // namespace deskflip::runtime
