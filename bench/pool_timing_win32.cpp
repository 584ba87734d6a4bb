// The pool against a private heap without serialisation (HeapAlloc/HeapFree) and the C library's malloc, timed
// with QueryPerformanceCounter: there is no Google Benchmark for the MinGW targets. Each figure is the best of
// three runs of at least 0.3 s, in nanoseconds per allocate+release pair.
#include <algorithm>
#include <cstdio>

// Before windows.h: the pool's headers name heap flags that windows.h defines as macros.
#include "bench/allocators.h"
#include "bench/pool_workloads.h"
#include "support/critical_section_lock.h"

#include <windows.h>

namespace deskflip::bench {
namespace {

constexpr int kRuns = 3;
constexpr double kRunSeconds = 0.3;
constexpr int kBatch = 1024;

template <class Step>
double nanosecondsPerPair(Step&& step, int pairsPerStep) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < kBatch; ++i) step();
  double best = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    LARGE_INTEGER start, now;
    long long steps = 0;
    QueryPerformanceCounter(&start);
    do {
      for (int i = 0; i < kBatch; ++i) step();
      steps += kBatch;
      QueryPerformanceCounter(&now);
    } while (static_cast<double>(now.QuadPart - start.QuadPart) < kRunSeconds * static_cast<double>(frequency.QuadPart));
    const double seconds = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    best = std::min(best, seconds * 1e9 / static_cast<double>(steps * pairsPerStep));
  }
  return best;
}

template <class Allocator>
double lifo() {
  Allocator allocator;
  return nanosecondsPerPair([&] { lifoRound(allocator); }, kLifoDepth);
}

template <class Allocator>
double random(const RandomPlan& plan) {
  Allocator allocator;
  RandomChurn<Allocator> churn(allocator, plan);
  return nanosecondsPerPair([&] { churn.step(); }, 1);
}

template <class Allocator>
double search(int holes) {
  Allocator allocator;
  HoleSearch<Allocator> hunt(allocator, holes);
  return nanosecondsPerPair([&] { hunt.step(); }, 1);
}

// What the pool's lock alone costs one allocate+release pair: two holds of the critical section.
double lockOnly() {
  support::CriticalSectionLock lock;
  lock.setSpinCount(300000);
  return nanosecondsPerPair(
      [&] {
        lock.enter();
        lock.leave();
        lock.enter();
        lock.leave();
      },
      1);
}

void row(const char* name, double pool, double heap, double crt) {
  std::printf("%-28s %10.1f %10.1f %10.1f %12.2f %12.2f\n", name, pool, heap, crt, pool / heap, pool / crt);
  std::fflush(stdout);
}

}  // namespace
}  // namespace deskflip::bench

int main() {
  using namespace deskflip::bench;
  std::printf("%d-bit build; ns per allocate+release pair (best of %d runs)\n", static_cast<int>(sizeof(void*) * 8),
              kRuns);
  std::printf("%-28s %10s %10s %10s %12s %12s\n", "workload", "pool", "HeapAlloc", "malloc", "pool/heap",
              "pool/malloc");
  std::printf("%-28s %10.1f\n", "lock_two_holds (pool lock)", lockOnly());
  row("lifo_small", lifo<PoolAllocator>(), lifo<PrivateHeapAllocator>(), lifo<MallocAllocator>());
  static const RandomPlan plan;
  row("random_8_4096_live1000", random<PoolAllocator>(plan), random<PrivateHeapAllocator>(plan),
      random<MallocAllocator>(plan));
  for (const int holes : kHoleCounts) {
    char name[64];
    std::snprintf(name, sizeof name, "search_free_entries/%d", holes);
    row(name, search<PoolAllocator>(holes), search<PrivateHeapAllocator>(holes), search<MallocAllocator>(holes));
  }
  return 0;
}
