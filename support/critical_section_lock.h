#pragma once
// One platform critical section in a block of the process heap: the support module's lock.
#include <atomic>
#include <cstdint>
#include <memory>

#include "support/address.h"

namespace deskflip::support {

class CriticalSectionLock {
 public:
  static constexpr std::int32_t kDefaultSpinCount = 10000;

  // Obtains the section's block from the process heap and initialises it with the default spin count. Without a
  // block every operation does nothing and tryEnter() returns 0.
  CriticalSectionLock();
  // Deletes the section and returns its block, unless this object is a copy (copies share, the original owns).
  virtual ~CriticalSectionLock();

  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

  // A new object on the same critical section.
  virtual std::unique_ptr<CriticalSectionLock> copy() const;
  // A count below zero means the default; omitted means 0.
  virtual void setSpinCount(std::int32_t count = 0);
  virtual void enter();
  virtual void leave();
  // 1 if the calling thread now holds the section (and must leave() it later), else 0. Never waits.
  virtual std::int32_t tryEnter();

  Word section() const { return section_; }

 private:
  struct Shared {};
  CriticalSectionLock(Shared, Word section);

  Word section_ = 0;
  bool ownsSection_ = true;
};

// The process heap's handle as processHeapAlloc and processHeapFree use it: 0 until the first of them asks
// GetProcessHeap, then never changed.
extern std::atomic<Word> processHeapHandle;

// A zero-filled block of the process heap, trying up to 50 times; 0 when every attempt failed.
Word processHeapAlloc(std::uint32_t size);
// 1 if `block` went back to the process heap, else 0.
std::int32_t processHeapFree(Word block);

}  // namespace deskflip::support
