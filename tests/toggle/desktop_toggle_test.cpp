#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "tests/common/binding_fakes.h"
#include "toggle/desktop_toggle.h"
#include "toggle/virtual_keys.h"

namespace deskflip::toggle {
namespace {

enum class Chord { Left, Right };

class DesktopToggle : public ::testing::Test {
 protected:
  void startWith(std::int32_t number) { desktopCount = currentDesktop = number; }

  void tick(bool buttonDown) {
    input_.states[VK_MBUTTON] = buttonDown ? 0xFF80 : 0;
    handleTimerTick();
  }

  // The chords sent so far, read back from the six key events of each.
  std::vector<Chord> chords() const {
    std::vector<Chord> result;
    EXPECT_EQ(input_.sent.size() % 6, 0u);
    for (std::size_t i = 2; i < input_.sent.size(); i += 6) {
      result.push_back(input_.sent[i].virtualKey == VK_LEFT ? Chord::Left : Chord::Right);
    }
    return result;
  }

  testing::BindingReset reset_;
  testing::FakeInput input_;
};

TEST_F(DesktopToggle, HeldButtonAlternatesLeftAndRightFromTheLastDesktop) {
  startWith(2);
  tick(true);
  EXPECT_EQ(currentDesktop, 1);
  tick(true);
  EXPECT_EQ(currentDesktop, 2);
  tick(true);
  EXPECT_EQ(currentDesktop, 1);
  EXPECT_EQ(chords(), (std::vector<Chord>{Chord::Left, Chord::Right, Chord::Left}));
  EXPECT_EQ(input_.sent[0].virtualKey, static_cast<Word>(VK_CONTROL));
  EXPECT_EQ(input_.sent[1].virtualKey, static_cast<Word>(VK_LWIN));
}

TEST_F(DesktopToggle, ButtonUpSendsNothingAndChangesNothing) {
  startWith(5);
  for (int i = 0; i < 100; ++i) tick(false);
  EXPECT_TRUE(input_.sent.empty());
  EXPECT_EQ(currentDesktop, 5);
  EXPECT_EQ(input_.stateQueries, 100);
}

TEST_F(DesktopToggle, FirstChordGoesLeftWhateverTheStoredNumber) {
  for (std::int32_t number : {1, 100, 0, -7, INT_MAX, INT_MIN}) {
    input_.sent.clear();
    startWith(number);
    tick(true);
    tick(true);
    EXPECT_EQ(chords(), (std::vector<Chord>{Chord::Left, Chord::Right})) << number;
    EXPECT_EQ(currentDesktop, number);
  }
}

TEST_F(DesktopToggle, CountWrapsAtTheEndsOfTheRange) {
  startWith(INT_MIN);
  tick(true);
  EXPECT_EQ(currentDesktop, INT_MAX);
  tick(true);
  EXPECT_EQ(currentDesktop, INT_MIN);
}

TEST_F(DesktopToggle, StartClickInTheUnequalPhaseMakesTheNextChordGoLeft) {
  startWith(3);
  tick(true);  // left: now unequal
  startWith(3);
  tick(true);
  EXPECT_EQ(chords(), (std::vector<Chord>{Chord::Left, Chord::Left}));
}

}  // namespace
}  // namespace deskflip::toggle
