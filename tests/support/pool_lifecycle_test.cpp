// The pool's lifecycle: init, reset, destruction, copies, statistics and health.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/bindings.h"
#include "support/free_table.h"
#include "support/pool_format.h"
#include "tests/support/platform_calls.h"
#include "tests/support/pool_fixture.h"

namespace deskflip::testing {
namespace {

using runtime::Binding;
using support::BlockTag;
using support::FreeEntry;
using support::kTableStepBytes;
using support::MemoryPool;
using support::PoolStats;

constexpr bool kThirtyTwoBit = sizeof(Word) == 4;

Word processHeap() { return runtime::callPlatformFunction(Binding::GetProcessHeap); }

void expectEmpty(const PoolStats& stats) {
  EXPECT_TRUE(stats.regions.empty());
  EXPECT_EQ(stats.regionSize, 0);
  EXPECT_EQ(stats.freeTable, 0u);
  EXPECT_EQ(stats.freeCount, 0);
  EXPECT_EQ(stats.freeCapacity, 0);
  EXPECT_EQ(stats.initialized, 0u);
  EXPECT_EQ(stats.totalBytes, 0u);
}

TEST_F(PoolTest, NewPoolRefersToTheProcessHeapAndHoldsNothing) {
  const PoolStats stats = pool->stats();
  EXPECT_EQ(stats.heapHandle, processHeap());
  expectEmpty(stats);
  EXPECT_EQ(pool->health(), 0u);
}

struct InitCase {
  std::int32_t size;
  std::int32_t regionSize;
};

class PoolInit : public PoolTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(PoolInit, TakesAPrivateHeapWithOneZeroFilledRegionAndOneEntry) {
  const auto [size, regionSize] = GetParam();
  PlatformCalls heapCalls{Binding::HeapCreate, Binding::HeapAlloc};
  initialise(size);

  const PoolStats stats = pool->stats();
  ASSERT_EQ(stats.regions.size(), 1u);
  const Word region = stats.regions[0];
  EXPECT_EQ(stats.regionSize, regionSize);
  EXPECT_EQ(stats.freeCount, 1);
  EXPECT_EQ(stats.freeCapacity, kTableStepBytes);
  EXPECT_EQ(stats.initialized, 1u);
  EXPECT_EQ(support::readFreeEntry(stats.freeTable, 1), (FreeEntry{regionSize, region}));
  EXPECT_EQ(stats.totalBytes, static_cast<std::uint32_t>(regionSize + 2 + kTableStepBytes));
  EXPECT_NE(stats.heapHandle, processHeap());
  EXPECT_EQ(support::readTag(region - 1), BlockTag::Edge);
  EXPECT_EQ(support::readTag(region + static_cast<Word>(regionSize)), BlockTag::Edge);
  EXPECT_EQ(support::readByte(region), 0);
  EXPECT_EQ(support::leadingSize(region), 0);
  if constexpr (kThirtyTwoBit) {
    EXPECT_EQ(stats.freeCapacity, 8000);
    EXPECT_EQ(stats.totalBytes, static_cast<std::uint32_t>(regionSize + 8002));
  }

  // A growable heap of room for the region and the table; both taken zero-filled, without serialisation.
  const auto creates = heapCalls.callsOf(Binding::HeapCreate);
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_THAT(creates[0].arguments,
              ::testing::ElementsAre(support::HEAP_NO_SERIALIZE, Word(regionSize) + 2 + kTableStepBytes, 0u));
  const auto allocs = heapCalls.callsOf(Binding::HeapAlloc);
  ASSERT_EQ(allocs.size(), 2u);
  EXPECT_THAT(allocs[0].arguments, ::testing::ElementsAre(stats.heapHandle, 9u, Word(regionSize) + 2));
  EXPECT_THAT(allocs[1].arguments, ::testing::ElementsAre(stats.heapHandle, 9u, Word(kTableStepBytes)));
}

INSTANTIATE_TEST_SUITE_P(Sizes, PoolInit,
                         ::testing::Values(InitCase{20971520, 20971520}, InitCase{0, 2097152}, InitCase{14, 14}));

TEST_F(PoolTest, SecondInitReturnsZeroAndChangesNothing) {
  initialise(1000);
  const Word user = take(100);
  const PoolStats before = pool->stats();
  const auto bytes = snapshot();

  EXPECT_EQ(pool->init(5000), 0);
  const PoolStats after = pool->stats();
  EXPECT_EQ(after.heapHandle, before.heapHandle);
  EXPECT_EQ(after.regions, before.regions);
  EXPECT_EQ(after.regionSize, 1000);
  EXPECT_EQ(after.freeTable, before.freeTable);
  EXPECT_EQ(after.freeCount, before.freeCount);
  EXPECT_EQ(snapshot(), bytes);
  EXPECT_EQ(pool->blockSize(user), 100);
}

// Sizes below zero are no size, and 1 to 13 cannot hold the smallest block: no heap is made for them.
TEST_F(PoolTest, InitRefusesSizesThatCannotHoldABlock) {
  PlatformCalls heapCalls{Binding::HeapCreate};
  for (const std::int32_t size : {-1, -2147483647 - 1, 1, 13}) {
    EXPECT_EQ(pool->init(size), 0) << size;
    const PoolStats stats = pool->stats();
    EXPECT_EQ(stats.heapHandle, processHeap());
    expectEmpty(stats);
  }
  EXPECT_TRUE(heapCalls.calls.empty());
  EXPECT_EQ(pool->allocate(4), 0u);
}

// Whichever of heap, region and table the heap cannot give, init leaves nothing behind and can be tried again.
TEST_F(PoolTest, InitThatCannotGetItsMemoryLeavesThePoolUninitialised) {
  struct Failure {
    Binding binding;
    int callToFail;
  };
  for (const Failure failure : {Failure{Binding::HeapCreate, 1}, Failure{Binding::HeapAlloc, 1},
                                Failure{Binding::HeapAlloc, 2}}) {
    SCOPED_TRACE(::testing::Message() << "call " << failure.callToFail << " of binding " << static_cast<int>(failure.binding));
    {
      PlatformCalls heapCalls{Binding::HeapCreate, Binding::HeapAlloc, Binding::HeapDestroy};
      int seen = 0;
      heapCalls.fail = [&](Binding binding, std::span<const Word>) {
        return binding == failure.binding && ++seen == failure.callToFail;
      };
      EXPECT_EQ(pool->init(1000), 0);
      const PoolStats stats = pool->stats();
      EXPECT_EQ(stats.heapHandle, 0u);
      expectEmpty(stats);
      // A heap that was made is destroyed again, with whatever it gave.
      EXPECT_EQ(heapCalls.callsOf(Binding::HeapDestroy).size(), failure.binding == Binding::HeapCreate ? 0u : 1u);
    }
    initialise(1000);
    EXPECT_NE(take(10), 0u);
    pool->reset();
  }
}

TEST_F(PoolTest, ResetFreesEveryRegionDestroysTheHeapAndAllowsANewInit) {
  initialise(100);
  take(80);
  take(80);  // a second region
  const PoolStats before = pool->stats();
  ASSERT_EQ(before.regions.size(), 2u);

  PlatformCalls heapCalls{Binding::HeapFree, Binding::HeapDestroy};
  pool->reset();
  ASSERT_EQ(heapCalls.calls.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(heapCalls.calls[i].binding, Binding::HeapFree);
    EXPECT_THAT(heapCalls.calls[i].arguments, ::testing::ElementsAre(before.heapHandle, 0u, before.regions[i] - 1));
  }
  EXPECT_EQ(heapCalls.calls[2].binding, Binding::HeapDestroy);

  const PoolStats after = pool->stats();
  EXPECT_EQ(after.heapHandle, 0u);
  expectEmpty(after);
  EXPECT_EQ(pool->health(), 0u);
  EXPECT_EQ(pool->allocate(4), 0u);

  EXPECT_EQ(pool->init(200), 1);
  EXPECT_NE(pool->stats().heapHandle, 0u);
  take(20);
}

TEST_F(PoolTest, ResetOfAnUninitialisedPoolChangesNothing) {
  PlatformCalls calls{Binding::HeapFree, Binding::HeapDestroy, Binding::EnterCriticalSection};
  pool->reset();
  EXPECT_TRUE(calls.calls.empty());
  EXPECT_EQ(pool->stats().heapHandle, processHeap());
}

TEST_F(PoolTest, DestructorFreesTheRegionsAndDestroysTheHeapBeforeDeletingTheLock) {
  initialise(100);
  take(50);
  PlatformCalls calls{Binding::HeapFree, Binding::HeapDestroy, Binding::DeleteCriticalSection};
  pool.reset();
  std::vector<Binding> order;
  for (const PlatformCall& call : calls.calls) order.push_back(call.binding);
  // The lock's block goes back to the process heap after its section is deleted.
  EXPECT_THAT(order, ::testing::ElementsAre(Binding::HeapFree, Binding::HeapDestroy, Binding::DeleteCriticalSection,
                                            Binding::HeapFree));
}

TEST_F(PoolTest, DestroyingANeverInitialisedPoolLeavesTheProcessHeapAlone) {
  PlatformCalls calls{Binding::HeapDestroy};
  pool.reset();
  EXPECT_TRUE(calls.calls.empty());
}

TEST_F(PoolTest, CopySharesHeapLockAndRegionsAndFreesNothingWhenDestroyed) {
  initialise(1000);
  const Word kept = take(100);
  const PoolStats source = pool->stats();

  auto copy = pool->copy();
  const PoolStats copied = copy->stats();
  EXPECT_EQ(copied.heapHandle, source.heapHandle);
  EXPECT_EQ(copied.regions, source.regions);
  EXPECT_EQ(copied.freeTable, source.freeTable);
  EXPECT_EQ(copied.freeCount, source.freeCount);
  EXPECT_EQ(copied.freeCapacity, source.freeCapacity);
  EXPECT_EQ(copied.initialized, 1u);
  EXPECT_EQ(copy->blockSize(kept), 100);
  EXPECT_EQ(copy->init(1000), 0);

  {
    PlatformCalls calls{Binding::HeapFree, Binding::HeapDestroy, Binding::DeleteCriticalSection};
    copy->reset();
    copy.reset();
    EXPECT_TRUE(calls.calls.empty());
  }
  // The source goes on as before.
  EXPECT_EQ(pool->blockSize(kept), 100);
  give(kept);
  give(take(500));
}

TEST_F(PoolTest, CopyWhoseSourceIsGoneActsAsAResetPool) {
  initialise(1000);
  const Word user = take(100);
  auto copy = pool->copy();
  auto copyOfCopy = copy->copy();

  pool.reset();
  for (MemoryPool* gone : {copy.get(), copyOfCopy.get()}) {
    PlatformCalls calls{Binding::EnterCriticalSection, Binding::HeapAlloc, Binding::HeapFree, Binding::HeapDestroy};
    EXPECT_EQ(gone->allocate(10), 0u);
    EXPECT_EQ(gone->blockSize(user), 0);
    gone->release(user);
    EXPECT_EQ(gone->health(), 0u);
    EXPECT_EQ(gone->init(100), 0);
    expectEmpty(gone->stats());
    gone->reset();
    // The shared lock and heap are gone: nothing may reach them.
    EXPECT_TRUE(calls.calls.empty());
  }
  copy.reset();
  copyOfCopy.reset();
}

TEST_F(PoolTest, CopyMayAllocateAndReleaseWhileItsSourceRests) {
  initialise(1000);
  auto copy = pool->copy();
  const Word a = copy->allocate(200);
  const Word b = copy->allocate(300);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_EQ(checkPool(*copy), "");
  copy->release(a);
  copy->release(b);
  EXPECT_EQ(checkPool(*copy), "");
  EXPECT_EQ(copy->stats().freeCount, 1);
}

// The limits are exceeded for real: a pool of 14-byte regions takes one region per block, and a region of
// 200000 smallest blocks with every other one released holds 100000 free entries.
TEST_F(PoolTest, HealthWarnsAboveTenThousandRegions) {
  initialise(14);
  for (int i = 0; i < 10000; ++i) ASSERT_NE(pool->allocate(4), 0u);
  EXPECT_EQ(pool->stats().regions.size(), 10000u);
  EXPECT_EQ(pool->health(), 0u);
  ASSERT_NE(pool->allocate(4), 0u);
  EXPECT_EQ(pool->health(), 2u);
}

TEST_F(PoolTest, HealthWarnsAboveOneHundredThousandFreeEntries) {
  constexpr int kBlocks = 200000;
  initialise(kBlocks * support::kSmallestBlock);
  std::vector<Word> blocks(kBlocks);
  for (Word& block : blocks) ASSERT_NE(block = pool->allocate(4), 0u);
  for (int i = 0; i < kBlocks; i += 2) pool->release(blocks[i]);
  EXPECT_EQ(pool->stats().freeCount, 100000);
  EXPECT_EQ(pool->health(), 0u);
  ASSERT_NE(pool->allocate(100), 0u);  // no entry fits: a new region, whose rest is one more entry
  EXPECT_EQ(pool->stats().freeCount, 100001);
  EXPECT_EQ(pool->health(), 1u);
  expectConsistent();
}

TEST_F(PoolTest, HealthReportsBothWarningsTogether) {
  initialise(14);
  std::vector<Word> blocks(100001);
  for (Word& block : blocks) ASSERT_NE(block = pool->allocate(0), 0u);
  for (const Word block : blocks) pool->release(block);
  EXPECT_EQ(pool->stats().freeCount, 100001);
  EXPECT_EQ(pool->health(), 3u);
}

}  // namespace
}  // namespace deskflip::testing
