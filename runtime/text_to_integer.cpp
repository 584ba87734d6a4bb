#include "runtime/text_to_integer.h"

#include <cstdint>
#include <algorithm>
#include <limits>

namespace deskflip::runtime {
namespace {

// Reads the text one character at a time, a GBK double-byte character as one.
class GbkReader {
 public:
  explicit GbkReader(const char* text) : next_(reinterpret_cast<const unsigned char*>(text)) {}

  // The current character as ASCII, a full-width form folded to it; 0 at the end; 0x80 for any other
  // double-byte character, which ends a number like any other non-digit.
  unsigned char peek() const {
    const unsigned char lead = next_[0];
    if (lead < 0x81 || lead == 0xFF) return lead;
    const unsigned char trail = next_[1];
    if (trail == 0) return 0x80;  // a lead byte cut off by the end of the text
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<unsigned char>(trail - 0x80);
    if (lead == 0xA1 && trail == 0xA1) return ' ';
    return 0x80;
  }

  void advance() {
    const unsigned char lead = next_[0];
    next_ += (lead >= 0x81 && lead != 0xFF && next_[1] != 0) ? 2 : 1;
  }

 private:
  const unsigned char* next_;
};

bool isWhiteSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::int32_t textToInteger(const char* text) {
  if (text == nullptr) return 0;
  GbkReader reader(text);
  while (isWhiteSpace(reader.peek())) reader.advance();

  bool negative = false;
  if (reader.peek() == '+' || reader.peek() == '-') {
    negative = reader.peek() == '-';
    reader.advance();
  }

  // Accumulates the magnitude and stops growing it once it is past every 32-bit value.
  constexpr std::int64_t kBeyond = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 2;
  std::int64_t magnitude = 0;
  for (unsigned char c = reader.peek(); c >= '0' && c <= '9'; reader.advance(), c = reader.peek()) {
    magnitude = std::min(magnitude * 10 + (c - '0'), kBeyond);
  }

  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace deskflip::runtime
