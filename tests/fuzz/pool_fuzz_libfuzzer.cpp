// libFuzzer entry: each input is one sequence of pool operations (tools/fuzz-pool.sh builds and runs it).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/pool_fuzz_driver.h"

namespace {

std::uint64_t totalOperations = 0;
std::uint64_t totalInputs = 0;

void reportTotals() {
  std::fprintf(stderr, "pool fuzz: %llu operations in %llu inputs\n", static_cast<unsigned long long>(totalOperations),
               static_cast<unsigned long long>(totalInputs));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (totalInputs++ == 0) std::atexit(reportTotals);
  deskflip::testing::PoolFuzzDriver driver;
  deskflip::testing::SpanSource source({data, size});
  totalOperations += driver.run(source, deskflip::testing::FuzzOptions{0, 64}).operations;
  return 0;
}
