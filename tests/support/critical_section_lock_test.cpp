#include "support/critical_section_lock.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <thread>
#include <vector>

#include "runtime/bindings.h"
#include "tests/support/binding_spy.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace deskflip::support {
namespace {

using runtime::Binding;
using testing::BindingSpy;
using Calls = std::vector<BindingSpy::Arguments>;

#ifdef _WIN32
constexpr Word kSectionSize = sizeof(CRITICAL_SECTION);
#else
constexpr Word kSectionSize = 40;
#endif

// Whether another thread could take the section right now; it lets go again at once if it could.
bool otherThreadCanEnter(CriticalSectionLock& lock) {
  bool entered = false;
  std::thread other([&] {
    entered = lock.tryEnter() == 1;
    if (entered) lock.leave();
  });
  other.join();
  return entered;
}

class CriticalSectionLockTest : public ::testing::Test {
 protected:
  testing::BindingReset reset_;
};

TEST_F(CriticalSectionLockTest, SectionLivesInAZeroFilledProcessHeapBlockAndGoesBackThere) {
  std::vector<const char*> order;
  BindingSpy allocs(Binding::HeapAlloc);
  BindingSpy initialised(Binding::InitializeCriticalSectionAndSpinCount);
  auto lock = std::make_unique<CriticalSectionLock>();
  const Word section = lock->section();
  ASSERT_NE(section, 0u);
  EXPECT_EQ(allocs.calls(), (Calls{{testing::processHeap(), HEAP_ZERO_MEMORY, kSectionSize}}));
  EXPECT_EQ(initialised.calls(), (Calls{{section, 10000}}));

  BindingSpy deleted(Binding::DeleteCriticalSection, [&](const BindingSpy::Arguments&) {
    order.push_back("delete");
    return std::nullopt;
  });
  BindingSpy freed(Binding::HeapFree, [&](const BindingSpy::Arguments&) {
    order.push_back("free");
    return std::nullopt;
  });
  lock.reset();
  EXPECT_EQ(order, (std::vector<const char*>{"delete", "free"}));
  EXPECT_EQ(deleted.calls(), (Calls{{section}}));
  EXPECT_EQ(freed.calls(), (Calls{{testing::processHeap(), 0, section}}));
}

TEST_F(CriticalSectionLockTest, SpinCountBelowZeroMeansTheDefault) {
  struct Case {
    std::optional<std::int32_t> given;
    Word passed;
  };
  const Case cases[] = {{-1, 10000}, {std::nullopt, 0}, {300000, 300000}, {0, 0}, {INT_MIN, 10000}, {1, 1}};
  CriticalSectionLock lock;
  for (const Case& c : cases) {
    BindingSpy set(Binding::SetCriticalSectionSpinCount);
    c.given ? lock.setSpinCount(*c.given) : lock.setSpinCount();
    ASSERT_EQ(set.callCount(), 1u);
    EXPECT_EQ(set.calls()[0], (BindingSpy::Arguments{lock.section(), c.passed})) << c.given.value_or(0);
  }
}

TEST_F(CriticalSectionLockTest, EnterIsReentrantAndKeepsOtherThreadsOut) {
  CriticalSectionLock lock;
  lock.enter();
  lock.enter();
  EXPECT_FALSE(otherThreadCanEnter(lock));
  lock.leave();
  EXPECT_FALSE(otherThreadCanEnter(lock));
  lock.leave();
  EXPECT_TRUE(otherThreadCanEnter(lock));
}

TEST_F(CriticalSectionLockTest, TryEnterTakesAFreeSectionAndHoldsIt) {
  CriticalSectionLock lock;
  ASSERT_EQ(lock.tryEnter(), 1);
  EXPECT_EQ(lock.tryEnter(), 1);  // the holder may enter again
  EXPECT_FALSE(otherThreadCanEnter(lock));
  lock.leave();
  lock.leave();
  EXPECT_TRUE(otherThreadCanEnter(lock));
}

TEST_F(CriticalSectionLockTest, WaitingThreadEntersOnceTheHolderLeaves) {
  CriticalSectionLock lock;
  lock.setSpinCount(300000);
  lock.enter();
  int shared = 0;
  std::thread waiter([&] {
    lock.enter();
    shared += 1;
    lock.leave();
  });
  shared = 41;
  lock.leave();
  waiter.join();
  EXPECT_EQ(shared, 42);
}

TEST_F(CriticalSectionLockTest, WithoutABlockEveryOperationDoesNothing) {
  BindingSpy allocs(Binding::HeapAlloc, [](const BindingSpy::Arguments&) { return std::optional<Word>(0); });
  testing::ForbiddenBindings untouched(
      {Binding::InitializeCriticalSectionAndSpinCount, Binding::SetCriticalSectionSpinCount,
       Binding::EnterCriticalSection, Binding::LeaveCriticalSection, Binding::TryEnterCriticalSection,
       Binding::DeleteCriticalSection, Binding::HeapFree});
  {
    CriticalSectionLock lock;
    EXPECT_EQ(lock.section(), 0u);
    EXPECT_EQ(allocs.callCount(), 50u);
    lock.setSpinCount(-1);
    lock.enter();
    lock.leave();
    EXPECT_EQ(lock.tryEnter(), 0);
  }
}

TEST_F(CriticalSectionLockTest, CopySharesTheSectionAndLeavesItToTheOriginal) {
  CriticalSectionLock lock;
  std::unique_ptr<CriticalSectionLock> copy = lock.copy();
  EXPECT_EQ(copy->section(), lock.section());
  copy->enter();
  EXPECT_FALSE(otherThreadCanEnter(lock));
  copy->leave();
  {
    BindingSpy deleted(Binding::DeleteCriticalSection);
    copy.reset();
    EXPECT_EQ(deleted.callCount(), 0u);
  }
  EXPECT_TRUE(otherThreadCanEnter(lock));
}

class ProcessHeapHelpers : public ::testing::Test {
 protected:
  testing::BindingReset reset_;
};

TEST_F(ProcessHeapHelpers, HandOutZeroFilledBlocksAndTakeThemBack) {
  const Word block = processHeapAlloc(256);
  ASSERT_NE(block, 0u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(block);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(runtime::callPlatformFunction(Binding::HeapSize, testing::processHeap(), 0u, block), 256u);
  EXPECT_EQ(processHeapFree(block), 1);
}

TEST_F(ProcessHeapHelpers, AskForTheProcessHeapOnceOnly) {
  processHeapHandle.store(0);
  BindingSpy asked(Binding::GetProcessHeap);
  const Word block = processHeapAlloc(8);
  EXPECT_EQ(processHeapFree(block), 1);
  EXPECT_EQ(processHeapFree(processHeapAlloc(8)), 1);
  EXPECT_EQ(asked.callCount(), 1u);
  EXPECT_EQ(processHeapHandle.load(), asked.callReal({}));
}

TEST_F(ProcessHeapHelpers, AllocationRetriesUpToFiftyTimes) {
  struct Case {
    int failures;
    bool succeeds;
    std::size_t attempts;
  };
  for (const Case& c : {Case{0, true, 1}, Case{2, true, 3}, Case{49, true, 50}, Case{50, false, 50}}) {
    int remaining = c.failures;
    BindingSpy allocs(Binding::HeapAlloc, [&](const BindingSpy::Arguments&) {
      return remaining-- > 0 ? std::optional<Word>(0) : std::nullopt;
    });
    const Word block = processHeapAlloc(64);
    EXPECT_EQ(block != 0, c.succeeds) << c.failures;
    EXPECT_EQ(allocs.callCount(), c.attempts) << c.failures;
    if (block != 0) {
      EXPECT_EQ(processHeapFree(block), 1);
    }
  }
}

TEST_F(ProcessHeapHelpers, FreeOfABlockNotFromTheProcessHeapFails) {
  const Word foreign = runtime::callPlatformFunction(Binding::HeapCreate, 0u, 0u, 0u);
  ASSERT_NE(foreign, 0u);
  const Word block = runtime::callPlatformFunction(Binding::HeapAlloc, foreign, 0u, 32u);
  EXPECT_EQ(processHeapFree(block), 0);
  EXPECT_NE(runtime::callPlatformFunction(Binding::HeapDestroy, foreign), 0u);
}

}  // namespace
}  // namespace deskflip::support
