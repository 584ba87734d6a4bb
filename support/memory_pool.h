#pragma once
// The support module's general-purpose allocator: blocks of any size carved by best fit out of large regions of a
// private heap, with tags and sizes at both ends of every block so that a released block merges with its free
// neighbours without a search. One critical section serialises all work on the pool. Formats: pool_format.h.
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "support/address.h"
#include "support/critical_section_lock.h"
#include "support/pool_stats.h"
#include "support/private_heap.h"

namespace deskflip::support {

class MemoryPool {
 public:
  // Uninitialised: the heap object refers to the process heap, the lock spins 300000 times, no regions.
  MemoryPool();
  // Resets the pool (regions freed, private heap destroyed), then releases the heap and lock objects.
  virtual ~MemoryPool();

  MemoryPool(const MemoryPool&) = delete;
  MemoryPool& operator=(const MemoryPool&) = delete;

  // A pool with the same numbers that shares this pool's heap, lock, regions and free table without owning them:
  // it never frees a region, destroys the heap or creates one (its init returns 0), so destroying either pool
  // cannot harm the other. Once the pool that owns the memory is reset or destroyed, the copy acts as a reset pool
  // and no longer touches the shared lock. Only one of the two may allocate or release.
  virtual std::unique_ptr<MemoryPool> copy() const;

  // Marks the `totalSize` bytes at `address` as one free block and appends its free-table entry, growing the
  // table when it is full. The pool's own step: the caller holds the lock. A block that is not inside one of the
  // pool's regions, shorter than 14 bytes, or that the table has no room for, is left alone.
  virtual void addFreeEntry(Word address, std::int32_t totalSize);

  // Takes a private heap with one zero-filled region of `size` bytes (0: 2 MiB) and a free table of one entry.
  // 1 if this call initialised the pool; 0 when it already was, for a size below 0 or from 1 to 13 (too small for
  // the smallest block), on a copy, or when the heap cannot supply the heap, the region or the table (the pool then
  // holds none of them and stays uninitialised).
  virtual std::int32_t init(std::int32_t size = 0);

  // The user address of a new block of `size` bytes (raised to 4), zero-filled on request; 0 when the pool is not
  // initialised, the size does not fit a region, or the heap cannot supply a new region or a larger table.
  virtual Word allocate(std::int32_t size, bool zero = false);

  // Gives back a block that allocate returned, merging it with the free blocks and filler bytes on both sides.
  // Any other address (none, already released, inside a block, another pool's) changes nothing.
  virtual void release(Word userAddress);

  // The user size of an allocated block: the requested size raised to 4. 0 for any other address.
  virtual std::int32_t blockSize(Word userAddress);

  // Frees every region and destroys the private heap; the pool is uninitialised again and may be initialised anew.
  virtual void reset();

  virtual PoolStats stats();

  // Bit 0: more than 100000 free-table entries; bit 1: more than 10000 regions.
  virtual std::uint32_t health();

 private:
  struct CopyOf {};
  MemoryPool(CopyOf, const MemoryPool& source);

  struct MergePlan;

  // Copies: true (after forgetting the shared memory) once the owning pool has reset or destroyed it.
  bool sharedMemoryGone();
  // The lock, or none for a copy whose owner is gone.
  CriticalSectionLock* usableLock();
  void forgetMemory();

  // The region address of the region whose block space holds `address`, or 0.
  Word regionContaining(Word address) const;
  // The totalSize of the allocated block that starts at `block` inside `region`, or 0 when its marks do not
  // describe one.
  std::int32_t allocatedBlockSize(Word block, Word region) const;
  bool isRecordedFreeBlock(Word block, std::int32_t totalSize) const;
  bool planMerge(Word block, std::int32_t totalSize, Word region, MergePlan& plan) const;

  // Grows the free table by one step when it is full; false when it cannot grow.
  bool ensureFreeRoom();
  // Marks a free block and appends its entry; the table has room.
  void recordFreeBlock(Word address, std::int32_t totalSize);
  // The `remainder` bytes at `address` left behind a new block: a free block when they can hold one, else filler.
  void keepRemainder(Word address, std::int32_t remainder);

  std::unique_ptr<PrivateHeap> heap_;
  std::unique_ptr<CriticalSectionLock> lock_;
  std::vector<Word> regions_;
  // The same region addresses, sorted: finding the region of an address costs O(log regions).
  std::set<Word> regionIndex_;
  // The region of the last lookup: successive releases tend to fall into the same region.
  mutable Word lastRegion_ = 0;
  std::int32_t regionSize_ = 0;
  Word freeTable_ = 0;
  std::int32_t freeCount_ = 0;
  std::int32_t freeCapacity_ = 0;
  std::uint32_t initialized_ = 0;

  // The owner hands its copies a weak reference to this token and drops it when its memory and lock may go.
  mutable std::shared_ptr<const bool> sharedWithCopies_;
  std::weak_ptr<const bool> owner_;
  bool isCopy_ = false;
};

}  // namespace deskflip::support
