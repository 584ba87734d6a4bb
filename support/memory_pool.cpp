// The memory pool's lifecycle: construction, init, reset, destruction, copies, statistics and health.
#include "support/memory_pool.h"

#include "support/free_table.h"
#include "support/lock_hold.h"
#include "support/pool_format.h"

namespace deskflip::support {

MemoryPool::MemoryPool()
    : heap_(std::make_unique<PrivateHeap>()), lock_(std::make_unique<CriticalSectionLock>()) {
  lock_->setSpinCount(kPoolSpinCount);
}

MemoryPool::MemoryPool(CopyOf, const MemoryPool& source)
    : heap_(source.heap_->copy()),
      lock_(source.lock_->copy()),
      regions_(source.regions_),
      regionIndex_(source.regionIndex_),
      regionSize_(source.regionSize_),
      freeTable_(source.freeTable_),
      freeCount_(source.freeCount_),
      freeCapacity_(source.freeCapacity_),
      initialized_(source.initialized_),
      isCopy_(true) {
  if (source.isCopy_) {
    owner_ = source.owner_;
  } else {
    if (!source.sharedWithCopies_) source.sharedWithCopies_ = std::make_shared<const bool>(true);
    owner_ = source.sharedWithCopies_;
  }
}

MemoryPool::~MemoryPool() {
  reset();
  // From here on the lock goes: copies must stop using it.
  sharedWithCopies_.reset();
  heap_.reset();
  lock_.reset();
}

std::unique_ptr<MemoryPool> MemoryPool::copy() const {
  return std::unique_ptr<MemoryPool>(new MemoryPool(CopyOf{}, *this));
}

bool MemoryPool::sharedMemoryGone() {
  if (!isCopy_ || !owner_.expired()) return false;
  if (initialized_ != 0) forgetMemory();
  return true;
}

CriticalSectionLock* MemoryPool::usableLock() {
  return isCopy_ && owner_.expired() ? nullptr : lock_.get();
}

void MemoryPool::forgetMemory() {
  regions_.clear();
  regionIndex_.clear();
  lastRegion_ = 0;
  regionSize_ = 0;
  freeTable_ = 0;
  freeCount_ = 0;
  freeCapacity_ = 0;
  initialized_ = 0;
  // A copy's heap object holds the owner's heap; a fresh one refers to the process heap, which nobody destroys.
  if (isCopy_) heap_ = std::make_unique<PrivateHeap>();
}

std::int32_t MemoryPool::init(std::int32_t size) {
  if (initialized_ != 0) return 0;
  // A copy's heap object may hold its owner's heap, which creating a new one would destroy.
  if (isCopy_) return 0;
  if (size < 0 || (size > 0 && size < kSmallestBlock)) return 0;

  LockHold hold(lock_.get());
  const std::int32_t regionSize = size == 0 ? kDefaultRegionSize : size;
  const auto regionBytes = static_cast<std::uint32_t>(std::int64_t{regionSize} + kEdgeBytes);

  if (heap_->create(HEAP_NO_SERIALIZE, static_cast<std::uint32_t>(initialHeapSize(regionSize)), 0) == 0) return 0;
  const Word region = heap_->alloc(regionBytes, HEAP_NO_SERIALIZE | HEAP_ZERO_MEMORY);
  const Word table = isNone(region) ? 0 : heap_->alloc(kTableStepBytes, HEAP_NO_SERIALIZE | HEAP_ZERO_MEMORY);
  if (isNone(table)) {
    // Whatever the heap gave goes with it.
    heap_->destroy();
    return 0;
  }

  writeTag(region, BlockTag::Edge);
  writeTag(region + regionBytes - 1, BlockTag::Edge);
  regions_.push_back(region + 1);
  regionIndex_.insert(region + 1);
  regionSize_ = regionSize;
  // The whole region is one free block. Its marks are not written: zero-filled, they read as a Free tag, and the
  // first allocate always takes this entry and writes the region's blocks afresh.
  freeTable_ = table;
  freeCapacity_ = kTableStepBytes;
  freeCount_ = 1;
  writeFreeEntry(freeTable_, 1, {regionSize, region + 1});
  initialized_ = 1;
  return 1;
}

void MemoryPool::reset() {
  if (sharedMemoryGone() || initialized_ == 0) return;
  LockHold hold(lock_.get());
  if (!isCopy_) {
    for (const Word region : regions_) heap_->free(region - 1);
    heap_->destroy();
    // The memory that copies share is gone.
    sharedWithCopies_.reset();
  }
  forgetMemory();
}

PoolStats MemoryPool::stats() {
  sharedMemoryGone();
  PoolStats result;
  LockHold hold(usableLock());
  result.heapHandle = heap_->handle();
  result.regions = regions_;
  result.regionSize = regionSize_;
  result.freeTable = freeTable_;
  result.freeCount = freeCount_;
  result.freeCapacity = freeCapacity_;
  result.initialized = initialized_;
  const std::uint64_t total = std::uint64_t{regions_.size()} * static_cast<std::uint64_t>(std::int64_t{regionSize_} + kEdgeBytes) +
                              static_cast<std::uint64_t>(freeCapacity_);
  result.totalBytes = static_cast<std::uint32_t>(total);
  return result;
}

std::uint32_t MemoryPool::health() {
  sharedMemoryGone();
  LockHold hold(usableLock());
  std::uint32_t warnings = 0;
  if (freeCount_ > kFreeEntryWarningLimit) warnings |= kTooManyFreeEntries;
  if (regions_.size() > kRegionWarningLimit) warnings |= kTooManyRegions;
  return warnings;
}

Word MemoryPool::regionContaining(Word address) const {
  const auto blockSpace = static_cast<Word>(regionSize_);
  if (lastRegion_ != 0 && address - lastRegion_ < blockSpace) return lastRegion_;
  auto after = regionIndex_.upper_bound(address);
  if (after == regionIndex_.begin()) return 0;
  const Word region = *--after;
  if (address - region >= blockSpace) return 0;
  lastRegion_ = region;
  return region;
}

}  // namespace deskflip::support
