#include "runtime/spin_step.h"

#include <limits>

namespace deskflip::runtime {

std::int32_t leadingInteger(const char* text) {
  if (text == nullptr) return 0;
  const char* at = text;
  while (*at == ' ' || (*at >= '\t' && *at <= '\r')) ++at;
  bool negative = false;
  if (*at == '+' || *at == '-') negative = *at++ == '-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    magnitude = magnitude * 10 + (*at - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

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
