#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/common/binding_fakes.h"
#include "toggle/key_input.h"
#include "toggle/virtual_keys.h"

namespace deskflip::toggle {
namespace {

using testing::FakeInput;
using testing::KeyCall;

constexpr KeyCall down(std::uintptr_t key) { return {key, 0, 0, 0}; }
constexpr KeyCall up(std::uintptr_t key) { return {key, 0, KEYEVENTF_KEYUP, 0}; }

TEST(TestBit, CountsPositionsFromOne) {
  const struct {
    std::int64_t value;
    std::int32_t position;
    std::int32_t expected;
  } kCases[] = {
      {1, 1, 1},          {1, 0, 1},           {1, -7, 1},
      {2, 1, 0},          {2, 2, 1},           {0x4000, 15, 1},
      {0x8000, 15, 0},    {0x8000, 16, 1},     {std::int64_t{1} << 32, 33, 1},
      {std::int64_t{1} << 32, 1, 0},           {INT64_MIN, 64, 1},
      {INT64_MAX, 64, 0}, {-1, 65, 0},         {-1, INT32_MAX, 0},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(testBit(c.value, c.position), c.expected) << c.value << " at " << c.position;
  }
}

TEST(TestBit, AllOnesAndAllZeros) {
  for (std::int32_t position = -3; position <= 64; ++position) {
    EXPECT_EQ(testBit(-1, position), 1) << position;
    EXPECT_EQ(testBit(0, position), 0) << position;
  }
}

TEST(IsKeyDown, PressedStatesReadDownAndReleasedStatesUp) {
  testing::BindingReset reset;
  FakeInput input;
  const struct {
    std::uint16_t state;
    std::int32_t expected;
  } kCases[] = {{0xFF80, 1}, {0xFF81, 1}, {0, 0}, {1, 0}, {0x8000, 0}};
  for (const auto& c : kCases) {
    input.states[VK_MBUTTON] = c.state;
    EXPECT_EQ(isKeyDown(VK_MBUTTON), c.expected) << std::hex << c.state;
  }
}

TEST(SendKeyChord, ReleasesInPressOrderWithKeyLast) {
  testing::BindingReset reset;
  const struct {
    std::int32_t modifier2;
    std::int32_t modifier3;
    std::vector<KeyCall> expected;
  } kCases[] = {
      {VK_CONTROL, 0,
       {down(VK_CONTROL), down(VK_LWIN), down(VK_LEFT), up(VK_CONTROL), up(VK_LWIN), up(VK_LEFT)}},
      {0, 0, {down(VK_LWIN), down(VK_LEFT), up(VK_LWIN), up(VK_LEFT)}},
      {VK_CONTROL, 0x10,
       {down(0x10), down(VK_CONTROL), down(VK_LWIN), down(VK_LEFT), up(0x10), up(VK_CONTROL), up(VK_LWIN),
        up(VK_LEFT)}},
  };
  for (const auto& c : kCases) {
    FakeInput input;
    sendKeyChord(VK_LEFT, VK_LWIN, c.modifier2, c.modifier3);
    EXPECT_EQ(input.sent, c.expected) << c.modifier2 << "," << c.modifier3;
  }
}

TEST(SendKeyChord, FirstModifierIsSentEvenWhenZero) {
  testing::BindingReset reset;
  FakeInput input;
  sendKeyChord(VK_RIGHT, 0);
  EXPECT_EQ(input.sent, (std::vector<KeyCall>{down(0), down(VK_RIGHT), up(0), up(VK_RIGHT)}));
}

}  // namespace
}  // namespace deskflip::toggle
