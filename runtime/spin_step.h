#pragma once
// What one click on an edit box's spin arrow makes of the box's number.
#include <cstdint>

namespace deskflip::runtime {

// The value after one step from `value` in the direction of `delta` (positive up, negative down, 0 no step),
// wrapping around the range: up past `maximum` (or from below `minimum`) gives `minimum`, down past `minimum` (or
// from above `maximum`) gives `maximum`.
std::int32_t spinStep(std::int32_t value, std::int32_t delta, std::int32_t minimum, std::int32_t maximum);

}  // namespace deskflip::runtime
