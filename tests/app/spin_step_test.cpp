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

}  // namespace
}  // namespace deskflip::runtime
