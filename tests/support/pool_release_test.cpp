// Release and size query: merging with free blocks and filler runs, and addresses that are no allocated block.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>

#include "support/free_table.h"
#include "tests/support/platform_calls.h"
#include "tests/support/pool_fixture.h"

namespace deskflip::testing {
namespace {

using runtime::Binding;
using support::BlockTag;
using support::FreeEntry;

FreeEntry onlyEntry(support::MemoryPool& pool) {
  const support::PoolStats stats = pool.stats();
  EXPECT_EQ(stats.freeCount, 1);
  return support::readFreeEntry(stats.freeTable, 1);
}

TEST_F(PoolTest, OnlyBlockOfARegionBecomesOneFreeBlockOfTheRegion) {
  initialise(500);
  give(take(490));
  EXPECT_EQ(onlyEntry(*pool), (FreeEntry{500, firstRegion()}));
}

TEST_F(PoolTest, ReleaseMergesWithTheFreeBlocksOnBothSides) {
  initialise(1000);
  const Word a = take(100);
  const Word b = take(200);  // followed by the region's free rest
  give(a);
  EXPECT_EQ(pool->stats().freeCount, 2);
  EXPECT_EQ(support::leadingSize(blockOf(a)), 110);
  give(b);
  EXPECT_EQ(onlyEntry(*pool), (FreeEntry{1000, firstRegion()}));
}

// A region of 200 bytes: p (30), q (45), 5 filler bytes, r (40), s (80); no free block.
class FillerLayout : public PoolTest {
 public:
  Word p = 0, q = 0, r = 0, s = 0;

 protected:
  void SetUp() override {
    initialise(200);
    p = take(20);
    const Word first = take(40);
    r = take(30);
    s = take(70);
    give(first);
    q = take(35);  // 5 bytes short of the free block: they become filler
    ASSERT_EQ(q, first);
    ASSERT_EQ(pool->stats().freeCount, 0);
    ASSERT_EQ(support::readTag(blockOf(q) + 45), BlockTag::Filler);
  }
};

TEST_F(FillerLayout, BlockAfterAFillerRunTakesTheRunAndLeavesTheBlockBeforeItAlone) {
  give(r);
  EXPECT_EQ(onlyEntry(*pool), (FreeEntry{45, blockOf(q) + 45}));
  EXPECT_EQ(support::trailingTag(blockOf(q), 45), BlockTag::Used);
  EXPECT_EQ(support::trailingSize(blockOf(q), 45), 45);
  EXPECT_EQ(pool->blockSize(q), 35);
}

TEST_F(FillerLayout, FillerRunAfterABlockJoinsItUpToTheNextUsedBlock) {
  give(q);
  EXPECT_EQ(onlyEntry(*pool), (FreeEntry{50, blockOf(q)}));
  EXPECT_EQ(support::readTag(blockOf(r)), BlockTag::Used);
}

TEST_F(FillerLayout, AnyReleaseOrderEndsWithOneFreeBlockOfTheWholeRegion) {
  std::array<int, 4> order = {0, 1, 2, 3};
  do {
    const std::array<Word, 4> blocks = {p, q, r, s};
    for (const int i : order) give(blocks[i]);
    EXPECT_EQ(onlyEntry(*pool), (FreeEntry{200, firstRegion()}));
    pool->reset();
    SetUp();  // the same layout again, for the next order
  } while (std::next_permutation(order.begin(), order.end()) && !HasFailure());
}

TEST_F(PoolTest, BlockSizeIsTheRequestRaisedToFourAlsoInALargerFreeBlock) {
  initialise(1023);  // the block of 1010 leaves 13 bytes: filler, not part of the block
  EXPECT_EQ(pool->blockSize(take(1000)), 1000);
  pool->reset();
  initialise(100);
  EXPECT_EQ(pool->blockSize(take(1)), 4);
}

// None of these addresses is an allocated block of the pool: release and blockSize read nothing outside the
// pool's regions, and change nothing.
struct WrongAddress {
  const char* what;
  std::function<Word(FillerLayout&, support::MemoryPool& other)> address;
};

class WrongAddresses : public FillerLayout, public ::testing::WithParamInterface<WrongAddress> {};

TEST_P(WrongAddresses, ReleaseAndBlockSizeChangeNothing) {
  support::MemoryPool other;
  ASSERT_EQ(other.init(1000), 1);
  ASSERT_NE(other.allocate(30), 0u);
  give(p);  // a released block that stands alone
  give(r);  // a released block merged with the filler run before it

  const Word address = GetParam().address(*this, other);
  const support::PoolStats before = pool->stats();
  const auto bytes = snapshot();
  EXPECT_EQ(pool->blockSize(address), 0);
  pool->release(address);
  EXPECT_EQ(snapshot(), bytes);
  EXPECT_EQ(pool->stats().freeCount, before.freeCount);
  expectConsistent();
  EXPECT_EQ(checkPool(other), "");
}

Word inOtherPool(support::MemoryPool& other) { return other.stats().regions.at(0) + 5; }

INSTANTIATE_TEST_SUITE_P(
    Addresses, WrongAddresses,
    ::testing::Values(
        WrongAddress{"none", [](FillerLayout&, support::MemoryPool&) { return Word{0}; }},
        WrongAddress{"below five", [](FillerLayout&, support::MemoryPool&) { return Word{3}; }},
        WrongAddress{"released, alone", [](FillerLayout& layout, support::MemoryPool&) { return layout.p; }},
        WrongAddress{"released, merged", [](FillerLayout& layout, support::MemoryPool&) { return layout.r; }},
        WrongAddress{"inside a block", [](FillerLayout& layout, support::MemoryPool&) { return layout.s + 1; }},
        WrongAddress{"inside a block, 8 on", [](FillerLayout& layout, support::MemoryPool&) { return layout.q + 8; }},
        WrongAddress{"before the region", [](FillerLayout& layout, support::MemoryPool&) { return layout.p - 5; }},
        WrongAddress{"past the region", [](FillerLayout& layout, support::MemoryPool&) { return layout.p + 200; }},
        WrongAddress{"another pool's", [](FillerLayout&, support::MemoryPool& other) { return inOtherPool(other); }}),
    [](const ::testing::TestParamInfo<WrongAddress>& test) {
      std::string name = test.param.what;
      std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                      '_');
      return name;
    });

TEST_F(FillerLayout, BlockWhoseSizeFieldIsTenOrLessIsNotReleased) {
  const Word block = blockOf(p);
  support::writeInt32(block + 1, 10);
  const auto bytes = snapshot();
  pool->release(p);
  EXPECT_EQ(snapshot(), bytes);
  support::writeInt32(block + 1, 30);
  expectConsistent();
}

TEST_F(PoolTest, ReleaseOnAnUninitialisedPoolDoesNothing) {
  PlatformCalls calls{Binding::EnterCriticalSection};
  pool->release(12345);
  EXPECT_TRUE(calls.calls.empty());
  EXPECT_EQ(pool->blockSize(12345), 0);
}

TEST_F(PoolTest, ReleaseThatTheFullTableCannotRecordLeavesTheBlockAllocated) {
  // 1000 free entries fill the table; the last three blocks stay used, and the middle one of them has no free
  // neighbour whose entry it could take over.
  constexpr int kBlocks = 2003;
  initialise(kBlocks * 14);
  std::vector<Word> blocks(kBlocks);
  for (Word& block : blocks) ASSERT_NE(block = pool->allocate(4), 0u);
  for (int i = 0; i < 2000; i += 2) pool->release(blocks[i]);
  ASSERT_EQ(pool->stats().freeCount, 1000);
  const auto bytes = snapshot();
  {
    PlatformCalls calls{Binding::HeapReAlloc};
    calls.fail = [](Binding, std::span<const Word>) { return true; };
    pool->release(blocks[2001]);
  }
  EXPECT_EQ(snapshot(), bytes);
  EXPECT_EQ(pool->blockSize(blocks[2001]), 4);
  expectConsistent();
  give(blocks[2001]);
  EXPECT_EQ(pool->stats().freeCount, 1001);
}

}  // namespace
}  // namespace deskflip::testing
