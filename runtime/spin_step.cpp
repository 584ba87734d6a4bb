#include "runtime/spin_step.h"

namespace deskflip::runtime {

std::int32_t spinStep(std::int32_t value, std::int32_t delta, std::int32_t minimum, std::int32_t maximum) {
  // Widened, so a step from either end of the 32-bit range cannot overflow.
  std::int64_t next = value;
  if (delta > 0) {
    next += 1;
    if (next < minimum || next > maximum) next = minimum;
  } else if (delta < 0) {
    next -= 1;
    if (next < minimum || next > maximum) next = maximum;
  }
  return static_cast<std::int32_t>(next);
}

}  // namespace deskflip::runtime
