#pragma once
// A heap walk over a memory pool, for tests: checks every region's blocks and filler runs and the free table
// against each other.
#include <string>

#include "support/memory_pool.h"

namespace deskflip::testing {

// Empty when the pool is consistent, else one line per problem found (the first few):
// - every region starts and ends with an Edge byte, and its blocks and filler runs cover the bytes between exactly;
// - every block has the same tag and totalSize at both ends, and is at least 14 bytes long;
// - filler runs are 1 to 13 bytes long and directly follow a used block;
// - no free block touches another free block or a filler run (releases merge them);
// - every free block has exactly one table entry, and its freeIndex names that entry; every entry names a free
//   block; the table's entries fit its capacity.
// One state is accepted without marks: a pool whose only region is still the untouched zero-filled block that
// init recorded, before the first allocate.
std::string checkPool(support::MemoryPool& pool);

}  // namespace deskflip::testing
