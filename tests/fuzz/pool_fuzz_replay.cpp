// The pool's fuzz driver without libFuzzer: operations from a seeded stream, or from a fuzzer input file.
//
//   pool_fuzz_replay [SEED [OPERATIONS]]    default: a seed from the clock, 100000 operations
//   pool_fuzz_replay --file INPUT            replays one libFuzzer input (a crash file, say)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/fuzz/pool_fuzz_driver.h"

int main(int argc, char** argv) {
  using deskflip::testing::FuzzOptions;
  deskflip::testing::PoolFuzzDriver driver;
  deskflip::testing::FuzzCounts counts;

  if (argc == 3 && std::strcmp(argv[1], "--file") == 0) {
    std::ifstream file(argv[2], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::printf("pool fuzz: input %s, %lu bytes\n", argv[2], static_cast<unsigned long>(bytes.size()));
    std::fflush(stdout);
    deskflip::testing::SpanSource source(bytes);
    counts = driver.run(source, FuzzOptions{});
  } else {
    const std::uint64_t seed =
        argc > 1 ? std::strtoull(argv[1], nullptr, 10)
                 : static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::uint64_t limit = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100000;
    // The seed comes first, so that a failing run can be repeated.
    std::printf("pool fuzz: seed %llu, %llu operations\n", static_cast<unsigned long long>(seed),
                static_cast<unsigned long long>(limit));
    std::fflush(stdout);
    deskflip::testing::SeededSource source(seed);
    counts = driver.run(source, FuzzOptions{limit, 64});
  }
  std::printf("pool fuzz: PASSED (%lu operations; at most %lu live blocks, %lu free entries and %lu regions; %lu "
              "resets, %lu heap failures, %lu wrong releases)\n",
              static_cast<unsigned long>(counts.operations), static_cast<unsigned long>(counts.peakLiveBlocks),
              static_cast<unsigned long>(counts.peakFreeEntries), static_cast<unsigned long>(counts.peakRegions), static_cast<unsigned long>(counts.resets),
              static_cast<unsigned long>(counts.heapFailures), static_cast<unsigned long>(counts.wrongReleases));
  return 0;
}
