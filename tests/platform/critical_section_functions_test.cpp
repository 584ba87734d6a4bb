#include <gtest/gtest.h>

#include <thread>

#include "tests/platform/kernel32_calls.h"

namespace deskflip::testing {
namespace {

using runtime::Binding;

// The size of a CRITICAL_SECTION: 24 bytes in a 32-bit process, 40 in a 64-bit one (the substitute's too).
constexpr std::uint32_t kSectionSize = sizeof(void*) == 4 ? 24 : 40;

class Section {
 public:
  explicit Section(std::uint32_t spinCount)
      : block_(kernel32(Binding::HeapAlloc, kernel32(Binding::GetProcessHeap), kHeapZeroMemory, kSectionSize)) {
    EXPECT_TRUE(succeeded(kernel32(Binding::InitializeCriticalSectionAndSpinCount, block_, spinCount)));
  }
  ~Section() {
    kernel32(Binding::DeleteCriticalSection, block_);
    kernel32(Binding::HeapFree, kernel32(Binding::GetProcessHeap), 0u, block_);
  }
  Section(const Section&) = delete;
  Section& operator=(const Section&) = delete;

  void enter() { kernel32(Binding::EnterCriticalSection, block_); }
  void leave() { kernel32(Binding::LeaveCriticalSection, block_); }
  bool tryEnter() { return succeeded(kernel32(Binding::TryEnterCriticalSection, block_)); }
  Word setSpinCount(std::uint32_t count) { return kernel32(Binding::SetCriticalSectionSpinCount, block_, count); }

  bool otherThreadCanEnter() {
    bool entered = false;
    std::thread other([&] {
      entered = tryEnter();
      if (entered) leave();
    });
    other.join();
    return entered;
  }

 private:
  Word block_;
};

TEST(CriticalSectionFunctions, SetSpinCountReturnsThePreviousCount) {
  if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "one processor: the system keeps no spin count";
  Section section(10000);
  EXPECT_EQ(section.setSpinCount(300000), 10000u);
  EXPECT_EQ(section.setSpinCount(0), 300000u);
  EXPECT_EQ(section.setSpinCount(10000), 0u);
}

TEST(CriticalSectionFunctions, OwnerMayEnterAgainAndOthersWaitForTheLastLeave) {
  Section section(10000);
  section.enter();
  EXPECT_TRUE(section.tryEnter());
  section.enter();
  EXPECT_FALSE(section.otherThreadCanEnter());
  section.leave();
  section.leave();
  EXPECT_FALSE(section.otherThreadCanEnter());
  section.leave();
  EXPECT_TRUE(section.otherThreadCanEnter());
}

TEST(CriticalSectionFunctions, BlockedThreadGetsTheSectionWhenItIsLeft) {
  Section section(0);
  section.enter();
  int value = 0;
  std::thread waiter([&] {
    section.enter();
    value *= 2;
    section.leave();
  });
  value = 21;
  section.leave();
  waiter.join();
  EXPECT_EQ(value, 42);
}

}  // namespace
}  // namespace deskflip::testing
