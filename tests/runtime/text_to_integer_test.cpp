#include <gtest/gtest.h>

#include "runtime/bitwise.h"
#include "runtime/text_to_integer.h"

namespace deskflip::runtime {
namespace {

TEST(TextToInteger, ReadsTheNumberAtTheStart) {
  const struct {
    const char* text;
    std::int32_t expected;
  } kCases[] = {
      {"2", 2},
      {"100", 100},
      {"2.7", 2},
      {"12abc", 12},
      {"  \t\n-42", -42},
      {"+7", 7},
      {"\t-7x", -7},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"- 5", 0},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"99999999999999999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"-99999999999", -2147483647 - 1},
      {"0000000000000000000012", 12},
      // Full-width digits and signs (A3B0.. A3AD), the ideographic blank (A1A1), a full-width dot (A3AE).
      {"\xA3\xB1\xA3\xB2", 12},
      {"\xA1\xA1\xA3\xAD\xA3\xB3", -3},
      {"\xA3\xB2\xA3\xAE\xA3\xB7", 2},
      // Another double-byte character ends the number; its trail byte is never read as a digit.
      {"5\xB0\x31", 5},
      {"\xB0\x31", 0},
      {"7\xA3", 7},  // a lead byte cut off by the end of the text
  };
  for (const auto& c : kCases) EXPECT_EQ(textToInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST(TextToInteger, NoneReadsAsEmpty) { EXPECT_EQ(textToInteger(nullptr), 0); }

TEST(BitwiseOr, CombinesAnyNumberOfValues) {
  static_assert(bitwiseOr() == 0);
  static_assert(bitwiseOr(1, 8) == 9);
  static_assert(bitwiseOr(0x40000000, std::int32_t(0x80000000u), 1) == std::int32_t(0xC0000001u));
}

}  // namespace
}  // namespace deskflip::runtime
