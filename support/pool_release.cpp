// Release and size query of pool blocks. Both first check that the address names an allocated block of this pool,
// so that a wrong address (none, released, interior, another pool's) reads nothing outside the pool's regions and
// changes nothing.
#include <array>

#include "support/free_table.h"
#include "support/lock_hold.h"
#include "support/memory_pool.h"
#include "support/pool_format.h"

namespace deskflip::support {

// The free block that a release builds, and the free neighbours whose entries it replaces. Released blocks always
// merge with every free neighbour, so a block has at most one free block on each side.
struct MemoryPool::MergePlan {
  Word start = 0;
  std::int32_t totalSize = 0;
  std::array<Word, 2> freeNeighbours{};
  std::size_t neighbourCount = 0;
};

void MemoryPool::release(Word userAddress) {
  if (sharedMemoryGone() || initialized_ == 0) return;
  LockHold hold(lock_.get());

  const Word block = userAddress - kUserOffset;
  const Word region = regionContaining(block);
  if (region == 0) return;
  const std::int32_t totalSize = allocatedBlockSize(block, region);
  if (totalSize == 0) return;
  MergePlan plan;
  if (!planMerge(block, totalSize, region, plan)) return;
  // Without a neighbour's entry to reuse, the new entry needs room: if the table cannot grow, the block stays
  // allocated rather than become a free block the table does not know.
  if (plan.neighbourCount == 0 && !ensureFreeRoom()) return;

  // Once inside a larger free block, the old marks must not pass for an allocated block again.
  writeTag(block, BlockTag::Free);
  writeTag(block + static_cast<Word>(totalSize) - 1, BlockTag::Free);
  for (std::size_t i = 0; i < plan.neighbourCount; ++i) {
    // Read the position now: an earlier removal may have moved this block's entry.
    removeFreeEntry(freeTable_, freeCount_, freeIndex(plan.freeNeighbours[i]));
  }
  recordFreeBlock(plan.start, plan.totalSize);
}

std::int32_t MemoryPool::blockSize(Word userAddress) {
  sharedMemoryGone();
  LockHold hold(usableLock());
  const Word block = userAddress - kUserOffset;
  const Word region = regionContaining(block);
  if (region == 0) return 0;
  const std::int32_t totalSize = allocatedBlockSize(block, region);
  return totalSize == 0 ? 0 : totalSize - kBlockOverhead;
}

std::int32_t MemoryPool::allocatedBlockSize(Word block, Word region) const {
  const auto room = static_cast<std::int64_t>(regionSize_) - static_cast<std::int64_t>(block - region);
  if (room < kSmallestBlock || readTag(block) != BlockTag::Used) return 0;
  const std::int32_t totalSize = leadingSize(block);
  if (totalSize < kSmallestBlock || totalSize > room) return 0;
  if (trailingSize(block, totalSize) != totalSize || trailingTag(block, totalSize) != BlockTag::Used) return 0;
  return totalSize;
}

bool MemoryPool::isRecordedFreeBlock(Word block, std::int32_t totalSize) const {
  if (readTag(block) != BlockTag::Free || leadingSize(block) != totalSize) return false;
  if (trailingSize(block, totalSize) != totalSize || trailingTag(block, totalSize) != BlockTag::Free) return false;
  const std::int32_t position = freeIndex(block);
  return position >= 1 && position <= freeCount_ &&
         readFreeEntry(freeTable_, position) == FreeEntry{totalSize, block};
}

// Walks back from the block and forward from its end over filler runs and free blocks, up to a Used block or
// the region's Edge. Reads only inside the region; false when the marks met there are not a consistent pool's.
bool MemoryPool::planMerge(Word block, std::int32_t totalSize, Word region, MergePlan& plan) const {
  const auto addNeighbour = [&plan](Word freeBlock) {
    if (plan.neighbourCount == plan.freeNeighbours.size()) return false;
    plan.freeNeighbours[plan.neighbourCount++] = freeBlock;
    return true;
  };

  Word start = block;
  while (start > region) {
    const BlockTag before = readTag(start - 1);
    if (before == BlockTag::Used || before == BlockTag::Edge) break;
    if (before == BlockTag::Filler) {
      while (start > region && readTag(start - 1) == BlockTag::Filler) --start;
      continue;
    }
    if (before != BlockTag::Free || start - region < static_cast<Word>(kSmallestBlock)) return false;
    const std::int32_t size = readInt32(start - kTrailingSizeBack);
    if (size < kSmallestBlock || static_cast<Word>(size) > start - region) return false;
    const Word freeBlock = start - static_cast<Word>(size);
    if (!isRecordedFreeBlock(freeBlock, size) || !addNeighbour(freeBlock)) return false;
    start = freeBlock;
  }

  const Word regionEnd = region + static_cast<Word>(regionSize_);
  Word end = block + static_cast<Word>(totalSize);
  while (end < regionEnd) {
    const BlockTag after = readTag(end);
    if (after == BlockTag::Used || after == BlockTag::Edge) break;
    if (after == BlockTag::Filler) {
      while (end < regionEnd && readTag(end) == BlockTag::Filler) ++end;
      continue;
    }
    if (after != BlockTag::Free || regionEnd - end < static_cast<Word>(kSmallestBlock)) return false;
    const std::int32_t size = leadingSize(end);
    if (size < kSmallestBlock || static_cast<Word>(size) > regionEnd - end) return false;
    if (!isRecordedFreeBlock(end, size) || !addNeighbour(end)) return false;
    end += static_cast<Word>(size);
  }

  plan.start = start;
  plan.totalSize = static_cast<std::int32_t>(end - start);
  return true;
}

}  // namespace deskflip::support
