#pragma once
#include <cstdint>

namespace deskflip::runtime {

// The bitwise or of any number of 32-bit values (0 for none).
template <class... Values>
constexpr std::int32_t bitwiseOr(Values... values) {
  return static_cast<std::int32_t>((std::uint32_t{0} | ... | static_cast<std::uint32_t>(values)));
}

}  // namespace deskflip::runtime
