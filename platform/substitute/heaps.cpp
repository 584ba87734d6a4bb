#include "platform/substitute/heaps.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/substitute/last_error.h"
#include "platform/substitute/libraries.h"

namespace deskflip::substitute {
namespace {

constexpr Word kPageSize = 4096;
// What each block costs a heap beyond its rounded size, as the real heaps keep a header per block.
constexpr Word kBlockOverhead = 16;
constexpr Word kGranule = 16;
// Larger requests are refused as out of memory, before the C allocator sees them.
constexpr Word kLargestRequest = Word{1} << 36;
constexpr Word kSizeFailure = ~Word{0};

Word roundUp(Word value, Word step) { return (value + step - 1) / step * step; }

Word charge(Word size) { return roundUp(std::max<Word>(size, 1), kGranule) + kBlockOverhead; }

struct Heap {
  // 0 for a heap that grows as needed.
  Word reserved = 0;
  Word committed = 0;
  Word used = 0;
  // Block sizes by the block's address, stored inverted: a block that nobody frees and whose heap is never
  // destroyed is still reported by the leak checker.
  std::unordered_map<Word, Word> blocks;

  bool fits(Word extra) const { return reserved == 0 || (used + extra <= reserved && used + extra >= used); }
};

Word keyOf(Word block) { return ~block; }

// One lock for every heap: the substitute serialises even heaps made with HEAP_NO_SERIALIZE, which changes
// nothing a single-threaded caller can see.
std::mutex heapsMutex;

std::unordered_set<Heap*>& liveHeaps() {
  static auto* heaps = new std::unordered_set<Heap*>;
  return *heaps;
}

Heap* processHeap() {
  static Heap* const heap = [] {
    auto* made = new Heap;
    liveHeaps().insert(made);
    return made;
  }();
  return heap;
}

Heap* findHeap(Word handle) {
  processHeap();
  auto* heap = reinterpret_cast<Heap*>(handle);
  return liveHeaps().contains(heap) ? heap : nullptr;
}

void noteUse(Heap& heap) { heap.committed = std::max(heap.committed, heap.used); }

Word allocateBlock(Heap& heap, Word size, bool zero) {
  if (size > kLargestRequest || !heap.fits(charge(size))) return 0;
  void* memory = zero ? std::calloc(1, std::max<Word>(size, 1)) : std::malloc(std::max<Word>(size, 1));
  if (memory == nullptr) return 0;
  const Word block = reinterpret_cast<Word>(memory);
  heap.blocks.emplace(keyOf(block), size);
  heap.used += charge(size);
  noteUse(heap);
  return block;
}

}  // namespace

Word HeapCreate(std::uint32_t /*options*/, Word initialSize, Word maximumSize) {
  if (initialSize > kLargestRequest || maximumSize > kLargestRequest) {
    SetLastError(kErrorNotEnoughMemory);
    return 0;
  }
  std::lock_guard lock(heapsMutex);
  auto* heap = new Heap;
  // A fixed heap never holds less than its initial size.
  heap->reserved = maximumSize == 0 ? 0 : roundUp(std::max(initialSize, maximumSize), kPageSize);
  heap->committed = roundUp(initialSize, kPageSize);
  processHeap();
  liveHeaps().insert(heap);
  return reinterpret_cast<Word>(heap);
}

std::int32_t HeapDestroy(Word handle) {
  std::lock_guard lock(heapsMutex);
  Heap* heap = findHeap(handle);
  if (heap == nullptr || heap == processHeap()) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  for (const auto& [key, size] : heap->blocks) std::free(reinterpret_cast<void*>(keyOf(key)));
  liveHeaps().erase(heap);
  delete heap;
  return 1;
}

Word GetProcessHeap() {
  std::lock_guard lock(heapsMutex);
  return reinterpret_cast<Word>(processHeap());
}

// HeapAlloc and HeapReAlloc leave the last error alone when they fail, as documented for the real ones.
Word HeapAlloc(Word handle, std::uint32_t flags, Word size) {
  std::lock_guard lock(heapsMutex);
  Heap* heap = findHeap(handle);
  if (heap == nullptr) return 0;
  return allocateBlock(*heap, size, (flags & kHeapZeroMemory) != 0);
}

Word HeapReAlloc(Word handle, std::uint32_t flags, Word block, Word size) {
  std::lock_guard lock(heapsMutex);
  Heap* heap = findHeap(handle);
  if (heap == nullptr) return 0;
  const auto found = heap->blocks.find(keyOf(block));
  if (found == heap->blocks.end() || size > kLargestRequest) return 0;
  const Word oldSize = found->second;
  const Word growth = charge(size) > charge(oldSize) ? charge(size) - charge(oldSize) : 0;
  if (!heap->fits(growth)) return 0;

  if ((flags & kHeapReallocInPlaceOnly) != 0) {
    if (size > oldSize) return 0;
    found->second = size;
    heap->used = heap->used - charge(oldSize) + charge(size);
    return block;
  }
  // Every other resize moves the block, so that a caller who keeps using the old address is caught.
  void* moved = std::malloc(std::max<Word>(size, 1));
  if (moved == nullptr) return 0;
  std::memcpy(moved, reinterpret_cast<void*>(block), std::min(oldSize, size));
  if (size > oldSize && (flags & kHeapZeroMemory) != 0) {
    std::memset(static_cast<unsigned char*>(moved) + oldSize, 0, size - oldSize);
  }
  std::free(reinterpret_cast<void*>(block));
  heap->blocks.erase(found);
  heap->blocks.emplace(keyOf(reinterpret_cast<Word>(moved)), size);
  heap->used = heap->used - charge(oldSize) + charge(size);
  noteUse(*heap);
  return reinterpret_cast<Word>(moved);
}

std::int32_t HeapFree(Word handle, std::uint32_t /*flags*/, Word block) {
  std::lock_guard lock(heapsMutex);
  Heap* heap = findHeap(handle);
  if (heap == nullptr) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  if (block == 0) return 1;
  const auto found = heap->blocks.find(keyOf(block));
  if (found == heap->blocks.end()) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  heap->used -= charge(found->second);
  heap->blocks.erase(found);
  std::free(reinterpret_cast<void*>(block));
  return 1;
}

Word HeapCompact(Word handle, std::uint32_t /*flags*/) {
  std::lock_guard lock(heapsMutex);
  Heap* heap = findHeap(handle);
  if (heap == nullptr) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  // The largest free block is what the heap has committed and not handed out.
  const Word largestFree = heap->committed - heap->used;
  if (largestFree == 0) SetLastError(kErrorSuccess);
  return largestFree;
}

// Documented not to set the last error.
Word HeapSize(Word handle, std::uint32_t /*flags*/, Word block) {
  std::lock_guard lock(heapsMutex);
  Heap* heap = findHeap(handle);
  if (heap == nullptr) return kSizeFailure;
  const auto found = heap->blocks.find(keyOf(block));
  return found == heap->blocks.end() ? kSizeFailure : found->second;
}

}  // namespace deskflip::substitute
