#include "tests/support/pool_checker.h"

#include <sstream>
#include <unordered_map>

#include "support/free_table.h"
#include "support/pool_format.h"

namespace deskflip::testing {
namespace {

using support::BlockTag;
using support::FreeEntry;
using support::PoolStats;

constexpr int kMostProblems = 8;

class Report {
 public:
  std::ostringstream& problem() {
    ++count_;
    if (count_ > 1) text_ << '\n';
    return text_;
  }
  bool full() const { return count_ >= kMostProblems; }
  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  int count_ = 0;
};

const char* nameOf(BlockTag tag) {
  switch (tag) {
    case BlockTag::Free: return "Free";
    case BlockTag::Used: return "Used";
    case BlockTag::Edge: return "Edge";
    case BlockTag::Filler: return "Filler";
  }
  return "unknown";
}

// The state init leaves: one region, one entry naming all of it, and the region's zero-filled start unmarked.
bool isUntouchedFirstRegion(const PoolStats& stats) {
  if (stats.regions.size() != 1 || stats.freeCount != 1) return false;
  const Word region = stats.regions.front();
  return support::readFreeEntry(stats.freeTable, 1) == FreeEntry{stats.regionSize, region} &&
         support::readByte(region) == 0 && support::leadingSize(region) == 0;
}

struct RegionWalk {
  const PoolStats& stats;
  Report& report;
  // Free blocks met, by address: their freeIndex.
  std::unordered_map<Word, std::int32_t>& freeBlocks;

  void walk(Word region) {
    const Word end = region + static_cast<Word>(stats.regionSize);
    if (support::readTag(region - 1) != BlockTag::Edge || support::readTag(end) != BlockTag::Edge) {
      report.problem() << "region " << std::hex << region << ": no Edge byte at both ends";
    }
    BlockTag previous = BlockTag::Edge;
    Word at = region;
    while (at < end && !report.full()) {
      const BlockTag tag = support::readTag(at);
      const auto offset = static_cast<long long>(at - region);
      if (tag == BlockTag::Filler) {
        Word runEnd = at;
        while (runEnd < end && support::readTag(runEnd) == BlockTag::Filler) ++runEnd;
        const Word run = runEnd - at;
        if (run > static_cast<Word>(support::kMaxFillerRun)) {
          report.problem() << "offset " << offset << ": filler run of " << run << " bytes";
        }
        if (previous != BlockTag::Used) {
          report.problem() << "offset " << offset << ": filler run after " << nameOf(previous);
        }
        previous = BlockTag::Filler;
        at = runEnd;
        continue;
      }
      if (tag != BlockTag::Free && tag != BlockTag::Used) {
        report.problem() << "offset " << offset << ": tag " << int{support::readByte(at)} << " where a block starts";
        return;
      }
      const Word room = end - at;
      const std::int32_t size = room >= static_cast<Word>(support::kSmallestBlock) ? support::leadingSize(at) : 0;
      if (size < support::kSmallestBlock || static_cast<Word>(size) > room) {
        report.problem() << "offset " << offset << ": " << nameOf(tag) << " block of size " << size << " with "
                         << room << " bytes left";
        return;
      }
      if (support::trailingSize(at, size) != size || support::trailingTag(at, size) != tag) {
        report.problem() << "offset " << offset << ": " << nameOf(tag) << " block of size " << size
                         << " ends with size " << support::trailingSize(at, size) << " and tag "
                         << int{support::readByte(at + static_cast<Word>(size) - 1)};
        return;
      }
      if (tag == BlockTag::Free) checkFree(at, offset, size, previous);
      previous = tag;
      at += static_cast<Word>(size);
    }
  }

  void checkFree(Word block, long long offset, std::int32_t size, BlockTag previous) {
    if (previous == BlockTag::Free || previous == BlockTag::Filler) {
      report.problem() << "offset " << offset << ": free block right after " << nameOf(previous);
    }
    const std::int32_t position = support::freeIndex(block);
    if (position < 1 || position > stats.freeCount) {
      report.problem() << "offset " << offset << ": freeIndex " << position << " of " << stats.freeCount;
    } else if (support::readFreeEntry(stats.freeTable, position) != FreeEntry{size, block}) {
      report.problem() << "offset " << offset << ": entry " << position << " names another block";
    }
    freeBlocks.emplace(block, position);
  }
};

}  // namespace

std::string checkPool(support::MemoryPool& pool) {
  const PoolStats stats = pool.stats();
  Report report;
  if (stats.initialized == 0) {
    if (!stats.regions.empty() || stats.freeCount != 0 || stats.freeCapacity != 0 || stats.freeTable != 0) {
      report.problem() << "uninitialised pool still holds regions or a table";
    }
    return report.text();
  }
  if (stats.freeCount < 0 || support::tableBytes(stats.freeCount) > stats.freeCapacity) {
    report.problem() << stats.freeCount << " entries do not fit a table of " << stats.freeCapacity << " bytes";
    return report.text();
  }
  if (isUntouchedFirstRegion(stats)) return report.text();

  std::unordered_map<Word, std::int32_t> freeBlocks;
  RegionWalk walk{stats, report, freeBlocks};
  for (const Word region : stats.regions) walk.walk(region);

  for (std::int32_t position = 1; position <= stats.freeCount && !report.full(); ++position) {
    const FreeEntry entry = support::readFreeEntry(stats.freeTable, position);
    const auto found = freeBlocks.find(entry.address);
    if (found == freeBlocks.end()) {
      report.problem() << "entry " << position << " names no free block";
    } else if (found->second != position) {
      report.problem() << "entry " << position << " names a block whose freeIndex is " << found->second;
    }
  }
  if (freeBlocks.size() != static_cast<std::size_t>(stats.freeCount) && !report.full()) {
    report.problem() << freeBlocks.size() << " free blocks for " << stats.freeCount << " entries";
  }
  return report.text();
}

}  // namespace deskflip::testing
