#pragma once
// The allocators that the workloads compare: the memory pool, the C library's malloc, and on Windows a private
// heap without serialisation (what the pool itself takes its regions from).
#include <cstdint>
#include <cstdlib>

#include "runtime/word.h"
#include "support/memory_pool.h"

#ifdef _WIN32
// After the pool's headers, which name heap flags that windows.h defines as macros.
#include <windows.h>
#endif

namespace deskflip::bench {

// The program's pool size.
inline constexpr std::int32_t kPoolRegionSize = 20971520;

class PoolAllocator {
 public:
  PoolAllocator() { pool_.init(kPoolRegionSize); }
  Word allocate(std::int32_t size) { return pool_.allocate(size); }
  void release(Word block) { pool_.release(block); }
  support::MemoryPool& pool() { return pool_; }

 private:
  support::MemoryPool pool_;
};

struct MallocAllocator {
  Word allocate(std::int32_t size) { return reinterpret_cast<Word>(std::malloc(static_cast<std::size_t>(size))); }
  void release(Word block) { std::free(reinterpret_cast<void*>(block)); }
};

#ifdef _WIN32
class PrivateHeapAllocator {
 public:
  PrivateHeapAllocator() : heap_(HeapCreate(HEAP_NO_SERIALIZE, 0, 0)) {}
  ~PrivateHeapAllocator() { HeapDestroy(heap_); }
  PrivateHeapAllocator(const PrivateHeapAllocator&) = delete;
  PrivateHeapAllocator& operator=(const PrivateHeapAllocator&) = delete;
  Word allocate(std::int32_t size) {
    return reinterpret_cast<Word>(HeapAlloc(heap_, HEAP_NO_SERIALIZE, static_cast<SIZE_T>(size)));
  }
  void release(Word block) { HeapFree(heap_, HEAP_NO_SERIALIZE, reinterpret_cast<void*>(block)); }

 private:
  HANDLE heap_;
};
#endif

}  // namespace deskflip::bench
