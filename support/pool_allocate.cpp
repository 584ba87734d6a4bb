// Allocation from the memory pool: best fit over the free table, splitting, new regions, free-table growth.
#include <cstring>
#include <limits>

#include "support/free_table.h"
#include "support/lock_hold.h"
#include "support/memory_pool.h"
#include "support/pool_format.h"

namespace deskflip::support {

Word MemoryPool::allocate(std::int32_t size, bool zero) {
  if (sharedMemoryGone() || initialized_ == 0) return 0;
  if (size > regionSize_ - kBlockOverhead) return 0;
  if (size < kSmallestUserSize) size = kSmallestUserSize;
  const std::int32_t totalSize = size + kBlockOverhead;

  Word block = 0;
  {
    LockHold hold(lock_.get());

    // Best fit: the smallest entry that holds the block, the first of equal ones; an exact fit ends the search.
    std::int32_t best = 0;
    std::int32_t bestSize = 0;
    const std::int32_t entries = freeCount_;
    for (std::int32_t position = 1; position <= entries; ++position) {
      const std::int32_t candidateSize = entrySize(freeTable_, position);
      if (candidateSize < totalSize || (best != 0 && candidateSize >= bestSize)) continue;
      best = position;
      bestSize = candidateSize;
      if (candidateSize == totalSize) break;
    }

    if (best != 0) {
      block = readFreeEntry(freeTable_, best).address;
      // Taking the entry leaves room in the table for the remainder's entry.
      removeFreeEntry(freeTable_, freeCount_, best);
      keepRemainder(block + static_cast<Word>(totalSize), bestSize - totalSize);
    } else {
      // No free block is large enough: a new region, the block at its start.
      const std::int32_t remainder = regionSize_ - totalSize;
      if (remainder >= kSmallestBlock && !ensureFreeRoom()) return 0;
      const auto regionBytes = static_cast<std::uint32_t>(std::int64_t{regionSize_} + kEdgeBytes);
      const Word start = heap_->alloc(regionBytes, HEAP_NO_SERIALIZE);
      if (isNone(start)) return 0;
      writeTag(start, BlockTag::Edge);
      writeTag(start + regionBytes - 1, BlockTag::Edge);
      block = start + 1;
      regions_.push_back(block);
      regionIndex_.insert(block);
      keepRemainder(block + static_cast<Word>(totalSize), remainder);
    }
    markBlock(block, totalSize, BlockTag::Used);
  }

  // The block is the caller's now: zeroing it needs no lock.
  const Word user = block + kUserOffset;
  if (zero) std::memset(bytesAt(user), 0, static_cast<std::size_t>(size));
  return user;
}

void MemoryPool::keepRemainder(Word address, std::int32_t remainder) {
  if (remainder >= kSmallestBlock) {
    recordFreeBlock(address, remainder);
  } else if (remainder > 0) {
    fillWithFiller(address, remainder);
  }
}

void MemoryPool::addFreeEntry(Word address, std::int32_t totalSize) {
  if (initialized_ == 0 || totalSize < kSmallestBlock) return;
  const Word region = regionContaining(address);
  if (region == 0 || totalSize > regionSize_ - static_cast<std::int32_t>(address - region)) return;
  if (ensureFreeRoom()) recordFreeBlock(address, totalSize);
}

bool MemoryPool::ensureFreeRoom() {
  if (freeCapacity_ > tableBytes(freeCount_)) return true;
  const std::int64_t grown = tableBytes(freeCount_) + kTableStepBytes;
  if (grown > std::numeric_limits<std::int32_t>::max()) return false;
  // The added bytes are not zero-filled: entries are written before they are read.
  const Word table = heap_->realloc(freeTable_, HEAP_NO_SERIALIZE, static_cast<std::uint32_t>(grown));
  if (isNone(table)) return false;
  freeTable_ = table;
  freeCapacity_ = static_cast<std::int32_t>(grown);
  return true;
}

void MemoryPool::recordFreeBlock(Word address, std::int32_t totalSize) {
  markBlock(address, totalSize, BlockTag::Free);
  ++freeCount_;
  writeFreeIndex(address, freeCount_);
  writeFreeEntry(freeTable_, freeCount_, {totalSize, address});
}

}  // namespace deskflip::support
