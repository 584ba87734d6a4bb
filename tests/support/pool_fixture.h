#pragma once
// A pool for one test, checked by a heap walk after each step the test takes through take() and give().
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/memory_pool.h"
#include "support/pool_format.h"
#include "tests/common/binding_fakes.h"
#include "tests/support/pool_checker.h"

namespace deskflip::testing {

class PoolTest : public ::testing::Test {
 protected:
  // The block a user address belongs to.
  static Word blockOf(Word user) { return user - support::kUserOffset; }

  void expectConsistent() { EXPECT_EQ(checkPool(*pool), ""); }

  void initialise(std::int32_t regionSize) {
    ASSERT_EQ(pool->init(regionSize), 1);
    expectConsistent();
  }

  Word take(std::int32_t size) {
    const Word user = pool->allocate(size);
    EXPECT_NE(user, 0u) << "allocate(" << size << ")";
    expectConsistent();
    return user;
  }

  void give(Word user) {
    pool->release(user);
    expectConsistent();
  }

  Word firstRegion() { return pool->stats().regions.at(0); }

  // Every byte of every region, Edge bytes included, and the entries in use: what "changes nothing" compares.
  std::vector<unsigned char> snapshot() {
    const support::PoolStats stats = pool->stats();
    std::vector<unsigned char> bytes;
    for (const Word region : stats.regions) {
      const unsigned char* start = support::bytesAt(region - 1);
      bytes.insert(bytes.end(), start, start + stats.regionSize + support::kEdgeBytes);
    }
    const unsigned char* table = support::bytesAt(stats.freeTable);
    bytes.insert(bytes.end(), table, table + stats.freeCount * support::kEntryBytes);
    return bytes;
  }

  BindingReset bindings;
  std::unique_ptr<support::MemoryPool> pool = std::make_unique<support::MemoryPool>();
};

}  // namespace deskflip::testing
