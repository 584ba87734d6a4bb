#include "support/private_heap.h"

#include "runtime/bindings.h"
#include "support/platform_result.h"

namespace deskflip::support {

using runtime::Binding;
using runtime::callPlatformFunction;

namespace {
// HeapSize's failure value, also the answer when there is nothing to ask the platform about.
constexpr Word kSizeFailure = ~Word{0};
}  // namespace

PrivateHeap::PrivateHeap() { attach(); }

PrivateHeap::~PrivateHeap() = default;

std::unique_ptr<PrivateHeap> PrivateHeap::copy() const {
  return std::unique_ptr<PrivateHeap>(new PrivateHeap(Held{}, heapHandle_));
}

std::int32_t PrivateHeap::create(std::uint32_t options, std::uint32_t initialSize, std::uint32_t maximumSize) {
  destroy();
  heapHandle_ = callPlatformFunction(Binding::HeapCreate, options, initialSize, maximumSize);
  return isNone(heapHandle_) ? 0 : 1;
}

std::int32_t PrivateHeap::destroy() {
  if (isNone(heapHandle_)) return 0;
  // Asked every time: the process heap is never ours to destroy, whoever handed us its handle.
  if (callPlatformFunction(Binding::GetProcessHeap) == heapHandle_) return 0;
  const Word destroyed = callPlatformFunction(Binding::HeapDestroy, heapHandle_);
  heapHandle_ = 0;
  return platformSucceeded(destroyed) ? 1 : 0;
}

void PrivateHeap::attach(Word heap) {
  destroy();
  heapHandle_ = heap != 0 ? heap : callPlatformFunction(Binding::GetProcessHeap);
}

Word PrivateHeap::alloc(std::uint32_t size, std::optional<std::uint32_t> flags) {
  if (isNone(heapHandle_)) return 0;
  return callPlatformFunction(Binding::HeapAlloc, heapHandle_, flags.value_or(HEAP_ZERO_MEMORY), size);
}

Word PrivateHeap::realloc(Word block, std::optional<std::uint32_t> flags, std::uint32_t newSize) {
  if (isNone(block) || isNone(heapHandle_)) return 0;
  return callPlatformFunction(Binding::HeapReAlloc, heapHandle_, flags.value_or(HEAP_ZERO_MEMORY), block, newSize);
}

std::int32_t PrivateHeap::free(Word block, std::uint32_t flags) {
  if (isNone(block) || isNone(heapHandle_)) return 0;
  return platformSucceeded(callPlatformFunction(Binding::HeapFree, heapHandle_, flags, block)) ? 1 : 0;
}

Word PrivateHeap::handle() const { return heapHandle_; }

Word PrivateHeap::compact(std::uint32_t flags) {
  if (isNone(heapHandle_)) return 0;
  return callPlatformFunction(Binding::HeapCompact, heapHandle_, flags);
}

Word PrivateHeap::size(Word block, std::uint32_t flags) {
  // Without a heap or a block the platform call is undefined: answer its failure value without making it.
  if (isNone(block) || isNone(heapHandle_)) return kSizeFailure;
  return callPlatformFunction(Binding::HeapSize, heapHandle_, flags, block);
}

}  // namespace deskflip::support
