#pragma once
// Turns a stream of bytes into pool operations (init, allocate with and without zero fill, release of blocks and of
// wrong addresses, blockSize, reset, stats, health, copies, failing heap calls) and checks the pool after them:
// heap walk, every live block's own fill pattern, blockSize, and at the end one free block per region.
// A broken expectation prints what happened and aborts.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_set>
#include <vector>

#include "runtime/word.h"

namespace deskflip::support {
class MemoryPool;
}

namespace deskflip::testing {

class PlatformCalls;

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual bool exhausted() const = 0;
  virtual std::uint8_t next() = 0;
  std::uint32_t next16();
  std::uint32_t next32();
};

// The bytes of one fuzzer input, then zeros.
class SpanSource final : public ByteSource {
 public:
  explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool exhausted() const override { return position_ >= bytes_.size(); }
  std::uint8_t next() override { return exhausted() ? 0 : bytes_[position_++]; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// An endless stream from a seed: the same seed gives the same operations on every platform.
class SeededSource final : public ByteSource {
 public:
  explicit SeededSource(std::uint64_t seed) : state_(seed) {}
  bool exhausted() const override { return false; }
  std::uint8_t next() override;

 private:
  std::uint64_t state_;
  std::uint64_t buffer_ = 0;
  int left_ = 0;
};

struct FuzzOptions {
  std::uint64_t maxOperations = 0;  // 0: until the source is exhausted
  std::uint32_t checkEvery = 64;    // heap walks between operations
};

// What a run did, for the fuzzer's report.
struct FuzzCounts {
  std::uint64_t operations = 0;
  std::uint64_t peakLiveBlocks = 0;
  std::uint64_t peakRegions = 0;
  std::uint64_t peakFreeEntries = 0;
  std::uint64_t resets = 0;
  std::uint64_t heapFailures = 0;
  std::uint64_t wrongReleases = 0;
};

class PoolFuzzDriver {
 public:
  PoolFuzzDriver();
  ~PoolFuzzDriver();
  PoolFuzzDriver(const PoolFuzzDriver&) = delete;
  PoolFuzzDriver& operator=(const PoolFuzzDriver&) = delete;

  // Runs operations from `source`, then releases every live block and checks the regions are whole again.
  FuzzCounts run(ByteSource& source, const FuzzOptions& options);

 private:
  struct LiveBlock {
    Word user;
    std::int32_t size;
    std::uint8_t pattern;
  };

  void step(ByteSource& source);
  void doInit(ByteSource& source);
  void doAllocate(ByteSource& source, bool zero);
  void doRelease(ByteSource& source);
  void doWrongRelease(ByteSource& source);
  void doBlockSize(ByteSource& source);
  void doReset();
  void doStats();
  void doCopy(ByteSource& source);
  void planFaults(ByteSource& source);

  std::int32_t chooseSize(ByteSource& source);
  void verifyBlock(const LiveBlock& block, const char* when);
  // False when the pool kept the block allocated (a heap failure); it then stays live.
  bool releaseBlock(const LiveBlock& block);
  void releaseLive(std::size_t index);
  void releaseEveryOther();
  void checkHeap(const char* when);
  void finish();
  bool faultFiredSince(std::uint64_t before) const { return faultsFired_ != before; }
  [[noreturn]] void fail(const char* format, ...);

  std::unique_ptr<support::MemoryPool> pool_;
  // Another pool's block: never this pool's to release.
  std::unique_ptr<support::MemoryPool> otherPool_;
  Word otherBlock_ = 0;
  std::unique_ptr<PlatformCalls> heapCalls_;
  std::vector<LiveBlock> live_;
  std::unordered_set<Word> liveAddresses_;
  std::vector<Word> released_;  // recent user addresses that were released
  bool initialized_ = false;
  std::int32_t regionSize_ = 0;
  std::uint8_t nextPattern_ = 0;

  // The next heap calls to fail: after `faultSkip_` more calls, `faultsLeft_` calls fail.
  int faultBinding_ = -1;
  std::uint32_t faultSkip_ = 0;
  std::uint32_t faultsLeft_ = 0;
  std::uint64_t faultsFired_ = 0;

  std::uint64_t operations_ = 0;
  FuzzCounts counts_;
};

}  // namespace deskflip::testing
