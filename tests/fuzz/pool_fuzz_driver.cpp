#include "tests/fuzz/pool_fuzz_driver.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "runtime/bindings.h"
#include "support/free_table.h"
#include "support/memory_pool.h"
#include "support/pool_format.h"
#include "tests/support/platform_calls.h"
#include "tests/support/pool_checker.h"

namespace deskflip::testing {
namespace {

using runtime::Binding;

constexpr Binding kFaultable[] = {Binding::HeapCreate, Binding::HeapAlloc, Binding::HeapReAlloc};
// Bounds that keep one run's memory and time small: live blocks, and the pool's bytes before it is reset.
constexpr std::size_t kMostLiveBlocks = 4000;
constexpr std::uint64_t kMostPoolBytes = 48u << 20;
constexpr std::size_t kReleasedKept = 64;
constexpr std::int32_t kRegionSizes[] = {14, 15, 27, 28, 100, 256, 1000, 4096, 20000, 65536};

// A live block's fill: never a tag value, so no run of a block's own bytes can pass for a block's marks.
std::uint8_t patternFor(std::uint8_t counter) { return static_cast<std::uint8_t>(0x10 + counter % 0xE0); }

}  // namespace

std::uint32_t ByteSource::next16() { return next() | (std::uint32_t{next()} << 8); }
std::uint32_t ByteSource::next32() { return next16() | (next16() << 16); }

std::uint8_t SeededSource::next() {
  if (left_ == 0) {
    // splitmix64
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    buffer_ = z ^ (z >> 31);
    left_ = 8;
  }
  const auto byte = static_cast<std::uint8_t>(buffer_);
  buffer_ >>= 8;
  --left_;
  return byte;
}

PoolFuzzDriver::PoolFuzzDriver()
    : pool_(std::make_unique<support::MemoryPool>()),
      otherPool_(std::make_unique<support::MemoryPool>()),
      heapCalls_(std::make_unique<PlatformCalls>(
          std::initializer_list<Binding>{Binding::HeapCreate, Binding::HeapAlloc, Binding::HeapReAlloc})) {
  heapCalls_->recording = false;
  heapCalls_->fail = [this](Binding binding, std::span<const Word>) {
    if (faultsLeft_ == 0 || kFaultable[faultBinding_] != binding) return false;
    if (faultSkip_ > 0) {
      --faultSkip_;
      return false;
    }
    --faultsLeft_;
    ++faultsFired_;
    ++counts_.heapFailures;
    return true;
  };
  if (otherPool_->init(1000) != 1 || (otherBlock_ = otherPool_->allocate(40)) == 0) fail("second pool unusable");
}

PoolFuzzDriver::~PoolFuzzDriver() = default;

FuzzCounts PoolFuzzDriver::run(ByteSource& source, const FuzzOptions& options) {
  while (!source.exhausted() && (options.maxOperations == 0 || operations_ < options.maxOperations)) {
    step(source);
    ++operations_;
    if (options.checkEvery != 0 && operations_ % options.checkEvery == 0) checkHeap("periodic check");
  }
  finish();
  counts_.operations = operations_;
  return counts_;
}

void PoolFuzzDriver::step(ByteSource& source) {
  const std::uint8_t operation = source.next();
  if (!initialized_ && operation % 4 != 0) return doInit(source);
  switch (operation % 32) {
    case 0: return doInit(source);
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: return doAllocate(source, false);
    case 9: case 10: case 11: return doAllocate(source, true);
    case 12: case 13: case 14: case 15: case 16: case 17: case 18: case 19: case 20: return doRelease(source);
    case 21: case 22: return doWrongRelease(source);
    case 23: case 24: return doBlockSize(source);
    // Rare enough that tables grow past their first 1000 entries between resets.
    case 25: return operation == 25 && source.next() < 4 ? doReset() : doStats();
    case 26: return doStats();
    case 27: return doCopy(source);
    case 28: return planFaults(source);
    case 29: return checkHeap("requested check");
    case 30: return live_.size() >= 2500 && source.next() < 32 ? releaseEveryOther() : doAllocate(source, false);
    default: return doAllocate(source, false);
  }
}

std::int32_t PoolFuzzDriver::chooseSize(ByteSource& source) {
  const std::uint8_t kind = source.next();
  switch (kind % 8) {
    case 0: return static_cast<std::int32_t>(source.next() % 5) - 1;  // -1 to 3
    case 1: case 2: case 3: return static_cast<std::int32_t>(source.next() % 64);
    case 4: case 5: return static_cast<std::int32_t>(source.next16() % 2048);
    case 6: return regionSize_ - 10 - static_cast<std::int32_t>(source.next() % 32);  // near a whole region
    default: {
      const std::uint32_t raw = source.next32();
      return kind & 0x80 ? static_cast<std::int32_t>(raw) : static_cast<std::int32_t>(raw % 70000);
    }
  }
}

void PoolFuzzDriver::doInit(ByteSource& source) {
  const std::uint8_t kind = source.next();
  std::int32_t size;
  if (kind < 200) {
    size = kRegionSizes[kind % std::size(kRegionSizes)];
  } else if (kind < 250) {
    size = 14 + static_cast<std::int32_t>(source.next16() % 30000);
  } else {
    size = static_cast<std::int32_t>(source.next() % 16) - 2;  // -2 to 13: refused; 0: the 2 MiB default
  }
  const std::uint64_t faults = faultsFired_;
  const std::int32_t result = pool_->init(size);
  const bool valid = size == 0 || size >= support::kSmallestBlock;
  if (initialized_ || !valid) {
    if (result != 0) fail("init(%d) returned %d on a pool that %s", size, result, initialized_ ? "is initialised" : "must refuse it");
    return;
  }
  if (result == 0) {
    if (!faultFiredSince(faults)) fail("init(%d) failed without a heap failure", size);
    if (pool_->stats().initialized != 0) fail("failed init left the pool initialised");
    return;
  }
  initialized_ = true;
  regionSize_ = size == 0 ? support::kDefaultRegionSize : size;
}

void PoolFuzzDriver::doAllocate(ByteSource& source, bool zero) {
  if (live_.size() >= kMostLiveBlocks) return doRelease(source);
  const std::int32_t size = chooseSize(source);
  const std::uint64_t faults = faultsFired_;
  const Word user = pool_->allocate(size, zero);
  const bool fits = initialized_ && size <= regionSize_ - support::kBlockOverhead;
  if (user == 0) {
    if (fits && !faultFiredSince(faults)) fail("allocate(%d) failed in a pool of %d-byte regions", size, regionSize_);
    return;
  }
  if (!fits) fail("allocate(%d) succeeded in a pool of %d-byte regions", size, regionSize_);
  const std::int32_t userSize = std::max(size, support::kSmallestUserSize);
  if (pool_->blockSize(user) != userSize) fail("blockSize %d after allocate(%d)", pool_->blockSize(user), size);
  if (!liveAddresses_.insert(user).second) fail("allocate(%d) returned a live block", size);
  unsigned char* bytes = support::bytesAt(user);
  if (zero) {
    for (std::int32_t i = 0; i < userSize; ++i) {
      if (bytes[i] != 0) fail("allocate(%d, zero) left byte %d at %u", size, i, unsigned{bytes[i]});
    }
  }
  const std::uint8_t pattern = patternFor(nextPattern_++);
  std::fill(bytes, bytes + userSize, pattern);
  live_.push_back({user, userSize, pattern});
  counts_.peakLiveBlocks = std::max(counts_.peakLiveBlocks, static_cast<std::uint64_t>(live_.size()));
  released_.erase(std::remove(released_.begin(), released_.end(), user), released_.end());
  if (operations_ % 16 == 0) {
    const support::PoolStats stats = pool_->stats();
    counts_.peakFreeEntries = std::max(counts_.peakFreeEntries, static_cast<std::uint64_t>(stats.freeCount));
    if (stats.regions.size() * static_cast<std::uint64_t>(regionSize_ + 2) > kMostPoolBytes) doReset();
  }
}

void PoolFuzzDriver::verifyBlock(const LiveBlock& block, const char* when) {
  const unsigned char* bytes = support::bytesAt(block.user);
  for (std::int32_t i = 0; i < block.size; ++i) {
    if (bytes[i] != block.pattern) fail("%s: byte %d of a %d-byte block reads %u, not %u", when, i, block.size, unsigned{bytes[i]}, unsigned{block.pattern});
  }
  const std::int32_t size = pool_->blockSize(block.user);
  if (size != block.size) fail("%s: blockSize %d of a %d-byte block", when, size, block.size);
}

bool PoolFuzzDriver::releaseBlock(const LiveBlock& block) {
  verifyBlock(block, "before release");
  const std::uint64_t faults = faultsFired_;
  pool_->release(block.user);
  if (pool_->blockSize(block.user) != 0) {
    // Only a table that could not grow keeps a released block allocated.
    if (!faultFiredSince(faults)) fail("released %d-byte block still allocated", block.size);
    return false;
  }
  liveAddresses_.erase(block.user);
  if (released_.size() == kReleasedKept) released_.erase(released_.begin());
  released_.push_back(block.user);
  return true;
}

void PoolFuzzDriver::releaseLive(std::size_t index) {
  if (!releaseBlock(live_[index])) return;
  live_[index] = live_.back();
  live_.pop_back();
}

// Every other live block by address: many free blocks between used ones that cannot merge, so that the free table
// grows past its first step.
void PoolFuzzDriver::releaseEveryOther() {
  std::sort(live_.begin(), live_.end(), [](const LiveBlock& a, const LiveBlock& b) { return a.user < b.user; });
  std::vector<LiveBlock> kept;
  for (std::size_t i = 0; i < live_.size(); ++i) {
    if (i % 2 == 1 || !releaseBlock(live_[i])) kept.push_back(live_[i]);
  }
  live_ = std::move(kept);
}

void PoolFuzzDriver::doRelease(ByteSource& source) {
  if (live_.empty()) return doAllocate(source, false);
  releaseLive(source.next16() % live_.size());
}

void PoolFuzzDriver::doWrongRelease(ByteSource& source) {
  Word address = 0;
  const std::uint8_t kind = source.next();
  switch (kind % 5) {
    case 0: address = source.next() % 8; break;
    case 1: address = released_.empty() ? 0 : released_[source.next() % released_.size()]; break;
    case 2:
      if (!live_.empty()) {
        const LiveBlock& block = live_[source.next16() % live_.size()];
        address = block.user + 1 + source.next16() % static_cast<std::uint32_t>(block.size - 1);
      }
      break;
    case 3: address = otherBlock_; break;
    default: {
      const auto regions = pool_->stats().regions;
      if (!regions.empty()) {
        // Around the first block's start, or around the region's end and its Edge byte.
        const Word region = regions[source.next() % regions.size()];
        address = kind & 0x80 ? region + static_cast<Word>(regionSize_) + (source.next() % 8)
                              : region + 2 + (source.next() % 7);
      }
    }
  }
  if (liveAddresses_.contains(address)) return;
  const std::int32_t size = pool_->blockSize(address);
  if (size != 0) fail("blockSize %d of a wrong address (kind %u)", size, static_cast<unsigned>(kind % 5));
  pool_->release(address);
  ++counts_.wrongReleases;
  if (otherPool_->blockSize(otherBlock_) != 40) fail("wrong release reached the other pool");
  if (kind & 0x40) checkHeap("after a wrong release");
}

void PoolFuzzDriver::doBlockSize(ByteSource& source) {
  if (live_.empty()) return;
  verifyBlock(live_[source.next16() % live_.size()], "blockSize");
}

void PoolFuzzDriver::doReset() {
  ++counts_.resets;
  counts_.peakRegions = std::max(counts_.peakRegions, static_cast<std::uint64_t>(pool_->stats().regions.size()));
  for (const LiveBlock& block : live_) verifyBlock(block, "before reset");
  const bool wasInitialized = initialized_;
  pool_->reset();
  live_.clear();
  liveAddresses_.clear();
  released_.clear();
  initialized_ = false;
  regionSize_ = 0;
  const support::PoolStats stats = pool_->stats();
  if (stats.initialized != 0 || !stats.regions.empty() || (wasInitialized && stats.heapHandle != 0)) {
    fail("reset left memory behind");
  }
}

void PoolFuzzDriver::doStats() {
  const support::PoolStats stats = pool_->stats();
  if ((stats.initialized != 0) != initialized_ || stats.regionSize != regionSize_) {
    fail("stats: initialised %u, regionSize %d; expected %d, %d", stats.initialized, stats.regionSize, initialized_, regionSize_);
  }
  const std::uint32_t expected = (stats.freeCount > 100000 ? 1u : 0u) | (stats.regions.size() > 10000 ? 2u : 0u);
  if (pool_->health() != expected) fail("health %u, expected %u", pool_->health(), expected);
}

void PoolFuzzDriver::doCopy(ByteSource& source) {
  {
    auto copy = pool_->copy();
    if (copy->stats().freeCount != pool_->stats().freeCount) fail("copy has another free count");
    if (!live_.empty()) {
      const LiveBlock& block = live_[source.next16() % live_.size()];
      if (copy->blockSize(block.user) != block.size) fail("copy does not see a live block");
    }
    if (source.next() & 1) copy->reset();
  }
  // Destroying the copy changed nothing here.
  checkHeap("after a copy was destroyed");
}

void PoolFuzzDriver::planFaults(ByteSource& source) {
  const std::uint8_t plan = source.next();
  faultBinding_ = plan % 3;
  faultSkip_ = (plan >> 2) % 3;
  faultsLeft_ = 1 + (plan >> 4) % 3;
}

void PoolFuzzDriver::checkHeap(const char* when) {
  const std::string problems = checkPool(*pool_);
  if (!problems.empty()) fail("%s: heap walk:\n%s", when, problems.c_str());
}

void PoolFuzzDriver::finish() {
  faultsLeft_ = 0;
  checkHeap("at the end");
  while (!live_.empty()) releaseLive(live_.size() - 1);
  const support::PoolStats stats = pool_->stats();
  if (initialized_) {
    // Every region is whole again: one free block of the region's size each.
    if (stats.freeCount != static_cast<std::int32_t>(stats.regions.size())) {
      fail("%d free entries for %lu regions after releasing everything", stats.freeCount,
           static_cast<unsigned long>(stats.regions.size()));
    }
    for (std::int32_t k = 1; k <= stats.freeCount; ++k) {
      if (support::entrySize(stats.freeTable, k) != regionSize_) fail("entry %d is not a whole region", k);
    }
  }
  checkHeap("after releasing everything");
  doReset();
}

void PoolFuzzDriver::fail(const char* format, ...) {
  std::fprintf(stderr, "pool fuzz: FAILED at operation %lu (region size %d, %lu live blocks): ",
               static_cast<unsigned long>(operations_), regionSize_, static_cast<unsigned long>(live_.size()));
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  std::abort();
}

}  // namespace deskflip::testing
