#pragma once
// A snapshot of a memory pool's fields, owned by whoever asked for it.
#include <cstdint>
#include <vector>

#include "support/address.h"

namespace deskflip::support {

struct PoolStats {
  Word heapHandle = 0;
  std::vector<Word> regions;
  std::int32_t regionSize = 0;
  Word freeTable = 0;
  std::int32_t freeCount = 0;
  std::int32_t freeCapacity = 0;
  std::uint32_t initialized = 0;
  // Bytes the pool holds in its private heap (regions with their Edge bytes, plus the free table), low 32 bits.
  std::uint32_t totalBytes = 0;
};

}  // namespace deskflip::support
