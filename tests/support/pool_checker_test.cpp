// The heap walk finds the faults it is there to find: each case breaks one mark of a consistent pool.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>

#include "support/free_table.h"
#include "tests/support/pool_fixture.h"

namespace deskflip::testing {
namespace {

// A region of 300 bytes: used (30), free (50), used (40), the free rest (180).
class BrokenPool : public PoolTest {
 public:
  Word used = 0, last = 0, freeBlock = 0;

 protected:
  void SetUp() override {
    initialise(300);
    used = take(20);
    const Word middle = take(40);
    last = take(30);
    give(middle);
    freeBlock = blockOf(middle);
  }
};

struct Breakage {
  const char* what;
  std::function<Word(BrokenPool&, support::PoolStats&)> address;  // the byte or field to change
  int width;                                                       // 1 or 4 bytes
  std::int32_t value;
};

class Breakages : public BrokenPool, public ::testing::WithParamInterface<Breakage> {};

TEST_P(Breakages, AreReported) {
  support::PoolStats stats = pool->stats();
  const Word address = GetParam().address(*this, stats);
  const std::int32_t kept = GetParam().width == 1 ? support::readByte(address) : support::readInt32(address);
  if (GetParam().width == 1) {
    support::writeByte(address, static_cast<std::uint8_t>(GetParam().value));
  } else {
    support::writeInt32(address, GetParam().value);
  }
  EXPECT_NE(checkPool(*pool), "");
  if (GetParam().width == 1) {
    support::writeByte(address, static_cast<std::uint8_t>(kept));
  } else {
    support::writeInt32(address, kept);
  }
  expectConsistent();
}

INSTANTIATE_TEST_SUITE_P(
    Marks, Breakages,
    ::testing::Values(
        Breakage{"trailing size of a used block",
                 [](BrokenPool& broken, support::PoolStats&) { return broken.last - 5 + 40 - 5; }, 4, 41},
        Breakage{"trailing tag of a used block", [](BrokenPool& broken, support::PoolStats&) { return broken.used - 5 + 29; },
                 1, 0},
        Breakage{"freeIndex of a free block",
                 [](BrokenPool& broken, support::PoolStats&) { return broken.freeBlock + support::kFreeIndexOffset; }, 4, 7},
        Breakage{"an entry's address",
                 [](BrokenPool&, support::PoolStats& s) { return support::entryAt(s.freeTable, 1) + 4; }, 1, 0x55},
        Breakage{"a region's Edge", [](BrokenPool& broken, support::PoolStats&) { return broken.used - 6; }, 1, 0},
        Breakage{"a tag that is none", [](BrokenPool& broken, support::PoolStats&) { return broken.freeBlock; }, 1, 9}),
    [](const ::testing::TestParamInfo<Breakage>& test) {
      std::string name = test.param.what;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace deskflip::testing
