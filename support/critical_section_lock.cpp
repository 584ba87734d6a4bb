#include "support/critical_section_lock.h"

#include "runtime/bindings.h"
#include "support/platform_result.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/substitute/critical_sections.h"
#endif

namespace deskflip::support {

using runtime::Binding;
using runtime::callPlatformFunction;

std::atomic<Word> processHeapHandle{0};

namespace {

#ifdef _WIN32
constexpr std::uint32_t kCriticalSectionSize = sizeof(CRITICAL_SECTION);
static_assert(kCriticalSectionSize == (sizeof(void*) == 8 ? 40 : 24));
#else
constexpr std::uint32_t kCriticalSectionSize = substitute::kCriticalSectionSize;
#endif

constexpr int kProcessHeapAttempts = 50;

// Every caller that finds it unset stores the same value, the process heap's handle.
Word cachedProcessHeap() {
  Word heap = processHeapHandle.load(std::memory_order_relaxed);
  if (heap == 0) {
    heap = callPlatformFunction(Binding::GetProcessHeap);
    processHeapHandle.store(heap, std::memory_order_relaxed);
  }
  return heap;
}

}  // namespace

CriticalSectionLock::CriticalSectionLock() {
  section_ = processHeapAlloc(kCriticalSectionSize);
  if (isNone(section_)) return;
  // Cannot fail on the systems the program runs on (Vista and later), so the result is not looked at.
  callPlatformFunction(Binding::InitializeCriticalSectionAndSpinCount, section_,
                       static_cast<std::uint32_t>(kDefaultSpinCount));
}

CriticalSectionLock::CriticalSectionLock(Shared, Word section) : section_(section), ownsSection_(false) {}

CriticalSectionLock::~CriticalSectionLock() {
  if (isNone(section_) || !ownsSection_) return;
  callPlatformFunction(Binding::DeleteCriticalSection, section_);
  processHeapFree(section_);
}

std::unique_ptr<CriticalSectionLock> CriticalSectionLock::copy() const {
  return std::unique_ptr<CriticalSectionLock>(new CriticalSectionLock(Shared{}, section_));
}

void CriticalSectionLock::setSpinCount(std::int32_t count) {
  if (isNone(section_)) return;
  if (count < 0) count = kDefaultSpinCount;
  callPlatformFunction(Binding::SetCriticalSectionSpinCount, section_, static_cast<std::uint32_t>(count));
}

void CriticalSectionLock::enter() {
  if (!isNone(section_)) callPlatformFunction(Binding::EnterCriticalSection, section_);
}

void CriticalSectionLock::leave() {
  if (!isNone(section_)) callPlatformFunction(Binding::LeaveCriticalSection, section_);
}

std::int32_t CriticalSectionLock::tryEnter() {
  if (isNone(section_)) return 0;
  return platformSucceeded(callPlatformFunction(Binding::TryEnterCriticalSection, section_)) ? 1 : 0;
}

Word processHeapAlloc(std::uint32_t size) {
  const Word heap = cachedProcessHeap();
  for (int attempt = 0; attempt < kProcessHeapAttempts; ++attempt) {
    if (const Word block = callPlatformFunction(Binding::HeapAlloc, heap, HEAP_ZERO_MEMORY, size)) return block;
  }
  return 0;
}

std::int32_t processHeapFree(Word block) {
  const Word heap = cachedProcessHeap();
  return platformSucceeded(callPlatformFunction(Binding::HeapFree, heap, std::uint32_t{0}, block)) ? 1 : 0;
}

}  // namespace deskflip::support
