#pragma once
// The workloads that the pool and the platform allocators are timed on, the same for each of them. An allocator
// here has `Word allocate(std::int32_t size)` and `void release(Word block)`; every block gets one byte written so
// that no compiler can drop an allocation whose block is never used.
#include <cstdint>
#include <vector>

#include "runtime/word.h"

namespace deskflip::bench {

inline constexpr std::int32_t kLifoBlockSize = 32;
inline constexpr int kLifoDepth = 16;
inline constexpr int kRandomLiveBlocks = 1000;
inline constexpr std::int32_t kSmallestRandomSize = 8;
inline constexpr std::int32_t kLargestRandomSize = 4096;
// Holes of 54 user bytes (64-byte pool blocks) between kept blocks; the timed request of 40 bytes (a 50-byte block)
// fits every hole but none exactly, so the pool reads its whole free table on each request.
inline constexpr std::int32_t kHoleSize = 54;
inline constexpr std::int32_t kSearchRequest = 40;

inline void touch(Word block) { *reinterpret_cast<volatile unsigned char*>(block) = 1; }

// kLifoDepth blocks of 32 bytes, released in reverse order: kLifoDepth allocate+release pairs.
template <class Allocator>
void lifoRound(Allocator& allocator) {
  Word blocks[kLifoDepth];
  for (Word& block : blocks) {
    block = allocator.allocate(kLifoBlockSize);
    touch(block);
  }
  for (int i = kLifoDepth - 1; i >= 0; --i) allocator.release(blocks[i]);
}

// A fixed pseudo-random sequence of (slot, size) steps, drawn before timing starts.
struct RandomPlan {
  static constexpr std::size_t kSteps = 1 << 16;
  std::vector<std::uint16_t> slots;
  std::vector<std::int32_t> sizes;

  RandomPlan() : slots(kSteps), sizes(kSteps) {
    std::uint32_t state = 2463534242u;
    const auto next = [&state] {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      return state;
    };
    for (std::size_t i = 0; i < kSteps; ++i) {
      slots[i] = static_cast<std::uint16_t>(next() % kRandomLiveBlocks);
      sizes[i] = kSmallestRandomSize + static_cast<std::int32_t>(next() % (kLargestRandomSize - kSmallestRandomSize + 1));
    }
  }
};

// 1000 live blocks of random sizes; each step releases one at random and allocates a new one in its place.
template <class Allocator>
class RandomChurn {
 public:
  RandomChurn(Allocator& allocator, const RandomPlan& plan) : allocator_(allocator), plan_(plan), live_(kRandomLiveBlocks) {
    for (std::size_t i = 0; i < live_.size(); ++i) live_[i] = allocator_.allocate(plan_.sizes[i]);
  }
  ~RandomChurn() {
    for (const Word block : live_) allocator_.release(block);
  }
  RandomChurn(const RandomChurn&) = delete;
  RandomChurn& operator=(const RandomChurn&) = delete;

  void step() {
    const std::size_t i = next_++ & (RandomPlan::kSteps - 1);
    Word& slot = live_[plan_.slots[i]];
    allocator_.release(slot);
    slot = allocator_.allocate(plan_.sizes[i]);
    touch(slot);
  }

 private:
  Allocator& allocator_;
  const RandomPlan& plan_;
  std::vector<Word> live_;
  std::size_t next_ = 0;
};

// `holes` free holes between kept blocks; each step allocates and releases one block that fits any hole.
template <class Allocator>
class HoleSearch {
 public:
  HoleSearch(Allocator& allocator, int holes) : allocator_(allocator) {
    std::vector<Word> blocks(static_cast<std::size_t>(2 * holes + 1));
    for (Word& block : blocks) block = allocator_.allocate(kHoleSize);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      if (i % 2 == 0 && i + 1 < blocks.size()) {
        allocator_.release(blocks[i]);
      } else {
        kept_.push_back(blocks[i]);
      }
    }
  }
  ~HoleSearch() {
    for (const Word block : kept_) allocator_.release(block);
  }
  HoleSearch(const HoleSearch&) = delete;
  HoleSearch& operator=(const HoleSearch&) = delete;

  void step() {
    const Word block = allocator_.allocate(kSearchRequest);
    touch(block);
    allocator_.release(block);
  }

 private:
  Allocator& allocator_;
  std::vector<Word> kept_;
};

inline constexpr int kHoleCounts[] = {1, 16, 64, 100, 1000, 10000};

}  // namespace deskflip::bench
