// The pool against glibc's malloc and free, with Google Benchmark (Linux). Times are per allocate+release pair.
#include <benchmark/benchmark.h>

#include <type_traits>

#include "bench/allocators.h"
#include "bench/pool_workloads.h"
#include "support/critical_section_lock.h"

namespace deskflip::bench {
namespace {

template <class Allocator>
void lifoSmallBlocks(benchmark::State& state) {
  Allocator allocator;
  for (auto _ : state) lifoRound(allocator);
  state.SetItemsProcessed(state.iterations() * kLifoDepth);
  state.counters["ns_per_pair"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kLifoDepth),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <class Allocator>
void randomSizesThousandLive(benchmark::State& state) {
  static const RandomPlan plan;
  Allocator allocator;
  RandomChurn<Allocator> churn(allocator, plan);
  for (auto _ : state) churn.step();
  if constexpr (std::is_same_v<Allocator, PoolAllocator>) {
    // How long the table that each request searches has grown.
    state.counters["free_entries"] = allocator.pool().stats().freeCount;
  }
  state.counters["ns_per_pair"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <class Allocator>
void searchWithFreeEntries(benchmark::State& state) {
  Allocator allocator;
  HoleSearch<Allocator> search(allocator, static_cast<int>(state.range(0)));
  for (auto _ : state) search.step();
  state.counters["ns_per_pair"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// What the pool's lock alone costs one allocate+release pair: two holds of the critical section.
void poolLockOnly(benchmark::State& state) {
  support::CriticalSectionLock lock;
  lock.setSpinCount(300000);
  for (auto _ : state) {
    lock.enter();
    lock.leave();
    lock.enter();
    lock.leave();
  }
  state.counters["ns_per_pair"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void holeCounts(benchmark::internal::Benchmark* benchmark) {
  for (const int holes : kHoleCounts) benchmark->Arg(holes);
}

BENCHMARK(poolLockOnly)->Name("lock_two_holds/pool_lock");
BENCHMARK(lifoSmallBlocks<PoolAllocator>)->Name("lifo_small/pool");
BENCHMARK(lifoSmallBlocks<MallocAllocator>)->Name("lifo_small/malloc");
BENCHMARK(randomSizesThousandLive<PoolAllocator>)->Name("random_8_4096_live1000/pool");
BENCHMARK(randomSizesThousandLive<MallocAllocator>)->Name("random_8_4096_live1000/malloc");
BENCHMARK(searchWithFreeEntries<PoolAllocator>)->Name("search_free_entries/pool")->Apply(holeCounts);
BENCHMARK(searchWithFreeEntries<MallocAllocator>)->Name("search_free_entries/malloc")->Apply(holeCounts);

}  // namespace
}  // namespace deskflip::bench

BENCHMARK_MAIN();
