// Allocation: block sizes, splitting into free blocks or filler, best fit, new regions, table growth, zero fill,
// and a heap that cannot give more.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "support/free_table.h"
#include "tests/support/platform_calls.h"
#include "tests/support/pool_fixture.h"

namespace deskflip::testing {
namespace {

using runtime::Binding;
using support::BlockTag;
using support::FreeEntry;
using support::kTableStepBytes;

constexpr std::int32_t kRegion = 1000;

TEST_F(PoolTest, SmallAndNegativeSizesGiveTheSmallestBlock) {
  initialise(kRegion);
  for (const std::int32_t size : {0, 1, 3, -5, -2147483647 - 1}) {
    const Word user = take(size);
    EXPECT_EQ(support::leadingSize(blockOf(user)), 14) << size;
    EXPECT_EQ(pool->blockSize(user), 4) << size;
  }
}

struct FreshCase {
  std::int32_t size;
  std::int32_t freeCount;
  std::int32_t fillerBytes;  // behind the block
};

class FreshRegion : public PoolTest, public ::testing::WithParamInterface<FreshCase> {};

TEST_P(FreshRegion, BlockStartsTheRegionAndTheRestIsAFreeBlockOrFiller) {
  const auto [size, freeCount, fillerBytes] = GetParam();
  initialise(kRegion);
  const Word region = firstRegion();
  const Word user = take(size);
  ASSERT_EQ(user, region + 5);
  const auto totalSize = static_cast<Word>(size + 10);
  EXPECT_EQ(support::trailingTag(region, size + 10), BlockTag::Used);
  EXPECT_EQ(pool->stats().freeCount, freeCount);
  for (Word i = 0; i < static_cast<Word>(fillerBytes); ++i) {
    EXPECT_EQ(support::readTag(region + totalSize + i), BlockTag::Filler);
  }
  if (freeCount == 1) {
    EXPECT_EQ(support::readFreeEntry(pool->stats().freeTable, 1),
              (FreeEntry{kRegion - size - 10, region + totalSize}));
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FreshRegion,
                         ::testing::Values(FreshCase{kRegion - 10, 0, 0},   // the whole region
                                           FreshCase{kRegion - 11, 0, 1},   // one filler byte before the Edge
                                           FreshCase{kRegion - 23, 0, 13},  // the longest filler run
                                           FreshCase{kRegion - 24, 1, 0},   // a free block of exactly 14 bytes
                                           FreshCase{100, 1, 0}));

TEST_F(PoolTest, RequestLargerThanARegionFailsWithoutTakingTheLock) {
  initialise(kRegion);
  const auto bytes = snapshot();
  PlatformCalls calls{Binding::EnterCriticalSection, Binding::HeapAlloc};
  EXPECT_EQ(pool->allocate(kRegion - 9), 0u);
  EXPECT_EQ(pool->allocate(2147483647), 0u);
  EXPECT_TRUE(calls.calls.empty());
  EXPECT_EQ(snapshot(), bytes);
}

TEST_F(PoolTest, UninitialisedPoolAllocatesNothing) {
  PlatformCalls calls{Binding::EnterCriticalSection, Binding::HeapAlloc};
  EXPECT_EQ(pool->allocate(10), 0u);
  EXPECT_TRUE(calls.calls.empty());
}

// Free entries of total sizes 100, 40, 40 and 60 in this table order, each between used blocks, in a region that
// holds nothing else.
class BestFit : public PoolTest {
 protected:
  void SetUp() override {
    initialise(296);
    for (const std::int32_t totalSize : {100, 40, 40, 60}) {
      free_.push_back(take(totalSize - 10));
      take(4);
    }
    ASSERT_EQ(pool->stats().freeCount, 0);
    for (const Word user : free_) give(user);
  }

  std::vector<std::int32_t> entrySizes() {
    const support::PoolStats stats = pool->stats();
    std::vector<std::int32_t> sizes;
    for (std::int32_t k = 1; k <= stats.freeCount; ++k) sizes.push_back(support::entrySize(stats.freeTable, k));
    return sizes;
  }

  std::vector<Word> free_;  // user addresses of the blocks of 100, 40, 40 and 60 bytes
};

TEST_F(BestFit, EntriesStandInReleaseOrder) { EXPECT_THAT(entrySizes(), ::testing::ElementsAre(100, 40, 40, 60)); }

struct FitCase {
  std::int32_t request;
  int chosen;  // index into the free blocks, or -1 for a new region
  std::int32_t fillerBytes;
  std::vector<std::int32_t> entriesAfter;
};

class BestFitCases : public BestFit, public ::testing::WithParamInterface<FitCase> {};

TEST_P(BestFitCases, SmallestFittingEntryWinsFirstOfEqualsAndExactFitEndsTheSearch) {
  const FitCase& fit = GetParam();
  const Word user = take(fit.request);
  if (fit.chosen >= 0) {
    EXPECT_EQ(user, free_[fit.chosen]);
  } else {
    ASSERT_EQ(pool->stats().regions.size(), 2u);
    EXPECT_EQ(user, pool->stats().regions[1] + 5);
  }
  const Word end = blockOf(user) + static_cast<Word>(fit.request + 10);
  for (Word i = 0; i < static_cast<Word>(fit.fillerBytes); ++i) {
    EXPECT_EQ(support::readTag(end + i), BlockTag::Filler);
  }
  EXPECT_EQ(entrySizes(), fit.entriesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, BestFitCases,
    ::testing::Values(FitCase{30, 1, 0, {100, 60, 40}},             // exact fit: the first 40; the last entry moves in
                      FitCase{25, 1, 5, {100, 60, 40}},             // the first 40 again, 5 filler bytes behind
                      FitCase{50, 3, 0, {100, 40, 40}},             // exact fit at the end of the table
                      FitCase{40, 3, 10, {100, 40, 40}},            // 60 beats 100
                      FitCase{80, 0, 10, {60, 40, 40}},             // only 100 holds 90: 10 filler bytes, 60 moves in
                      FitCase{95, -1, 0, {100, 40, 40, 60, 191}}));  // none fits: a new region, its rest appended

TEST_F(BestFit, MovedEntryKeepsItsBlockFindable) {
  // Taking entry 2 moves entry 4 (the 60-byte block) into position 2: its block's freeIndex must follow.
  take(30);
  EXPECT_EQ(support::freeIndex(blockOf(free_[3])), 2);
}

TEST_F(PoolTest, FreeTableGrowsByOneStepWhenFull) {
  constexpr int kBlocks = 4002;
  initialise(kBlocks * 14);
  std::vector<Word> blocks(kBlocks);
  for (Word& block : blocks) ASSERT_NE(block = pool->allocate(4), 0u);
  ASSERT_EQ(pool->stats().freeCount, 0);

  PlatformCalls calls{Binding::HeapReAlloc};
  const std::int32_t step = kTableStepBytes;
  for (int entries = 1; entries <= 2001; ++entries) {
    pool->release(blocks[2 * (entries - 1)]);
    const std::int32_t expected = entries <= 1000 ? step : entries <= 2000 ? 2 * step : 3 * step;
    ASSERT_EQ(pool->stats().freeCapacity, expected) << entries << " entries";
  }
  expectConsistent();
  ASSERT_EQ(calls.calls.size(), 2u);
  EXPECT_EQ(calls.calls[0].arguments.at(1), support::HEAP_NO_SERIALIZE);
  EXPECT_EQ(calls.calls[0].arguments.at(3), Word(2 * step));
  EXPECT_EQ(calls.calls[1].arguments.at(3), Word(3 * step));
  if constexpr (sizeof(Word) == 4) {
    EXPECT_EQ(pool->stats().freeCapacity, 24000);
  }
}

TEST_F(PoolTest, ZeroFillCoversTheRequestedBytesOfAReusedBlock) {
  initialise(kRegion);
  const Word first = take(100);
  const Word after = take(50);
  std::memset(support::bytesAt(first), 0xAB, 100);
  give(first);

  // Without the request the block holds what it held; only its first 4 bytes carried its free-table position.
  const Word dirty = take(100);
  ASSERT_EQ(dirty, first);
  for (Word i = 4; i < 100; ++i) ASSERT_EQ(support::readByte(dirty + i), 0xAB) << i;
  give(dirty);

  const Word zeroed = pool->allocate(100, true);
  ASSERT_EQ(zeroed, first);
  for (Word i = 0; i < 100; ++i) ASSERT_EQ(support::readByte(zeroed + i), 0) << i;
  expectConsistent();
  EXPECT_EQ(pool->blockSize(after), 50);
}

TEST_F(PoolTest, ZeroFillInANewRegion) {
  initialise(100);
  take(90);
  const Word user = pool->allocate(60, true);
  ASSERT_EQ(user, pool->stats().regions.at(1) + 5);
  for (Word i = 0; i < 60; ++i) ASSERT_EQ(support::readByte(user + i), 0) << i;
  expectConsistent();
}

TEST_F(PoolTest, NewRegionThatTheHeapCannotGiveFailsAndChangesNothing) {
  initialise(100);
  take(90);
  const support::PoolStats before = pool->stats();
  const auto bytes = snapshot();
  {
    PlatformCalls calls{Binding::HeapAlloc};
    calls.fail = [](Binding, std::span<const Word>) { return true; };
    EXPECT_EQ(pool->allocate(50), 0u);
  }
  EXPECT_EQ(pool->stats().regions, before.regions);
  EXPECT_EQ(snapshot(), bytes);
  expectConsistent();
  EXPECT_NE(take(50), 0u);
}

TEST_F(PoolTest, NewRegionWhoseRestTheFullTableCannotRecordIsNotTaken) {
  // 1000 free entries fill the first table exactly; the rest of a new region would be entry 1001.
  constexpr int kBlocks = 2000;
  initialise(kBlocks * 14);
  std::vector<Word> blocks(kBlocks);
  for (Word& block : blocks) ASSERT_NE(block = pool->allocate(4), 0u);
  for (int i = 0; i < kBlocks; i += 2) pool->release(blocks[i]);
  ASSERT_EQ(pool->stats().freeCount, 1000);
  const auto bytes = snapshot();
  {
    PlatformCalls calls{Binding::HeapAlloc, Binding::HeapReAlloc};
    calls.fail = [](Binding binding, std::span<const Word>) { return binding == Binding::HeapReAlloc; };
    EXPECT_EQ(pool->allocate(100), 0u);
    EXPECT_TRUE(calls.callsOf(Binding::HeapAlloc).empty());
  }
  EXPECT_EQ(pool->stats().regions.size(), 1u);
  EXPECT_EQ(pool->stats().freeCapacity, kTableStepBytes);
  EXPECT_EQ(snapshot(), bytes);
  expectConsistent();
  EXPECT_NE(take(100), 0u);
  EXPECT_EQ(pool->stats().freeCount, 1001);
}

}  // namespace
}  // namespace deskflip::testing
