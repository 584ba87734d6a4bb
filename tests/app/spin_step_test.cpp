// One click on the spin arrows of the number box.
#include <gtest/gtest.h>

#include <climits>

#include "runtime/spin_step.h"

namespace deskflip::runtime {
namespace {

TEST(SpinStep, StepsAndWrapsAroundOneToAHundred) {
  struct Case {
    std::int32_t from, delta, to;
  };
  const Case cases[] = {
      {2, +1, 3},   {2, -1, 1},     {100, +1, 1}, {1, -1, 100},  {99, +1, 100},
      {0, +1, 1},   {-5, +1, 1},    {150, +1, 1}, {150, -1, 100}, {0, -1, 100},
      {INT_MAX, +1, 1}, {INT_MIN, -1, 100}, {7, 0, 7},
  };
  for (const Case& c : cases) EXPECT_EQ(spinStep(c.from, c.delta, 1, 100), c.to) << c.from << " " << c.delta;
}

TEST(SpinStep, ReadsTheLeadingNumberOfTheText) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"2", 2},       {"  42", 42},  {"\t-7x", -7}, {"+12abc", 12},       {"2.7", 2},
      {"", 0},        {nullptr, 0},  {"abc", 0},    {"-", 0},             {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},     {"-2147483648", INT_MIN},            {"2147483647", INT_MAX},
  };
  for (const Case& c : cases) EXPECT_EQ(leadingInteger(c.text), c.value) << (c.text ? c.text : "(none)");
}

}  // namespace
}  // namespace deskflip::runtime
