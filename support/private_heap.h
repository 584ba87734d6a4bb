#pragma once
// One platform heap: a private heap that the object owns (created or adopted), or the process heap, which it
// never destroys.
#include <cstdint>
#include <memory>
#include <optional>

#include "support/address.h"

namespace deskflip::support {

class PrivateHeap {
 public:
  // Refers to the process heap (attach with none).
  PrivateHeap();
  // Leaves every heap alive: the owner calls destroy() first when the heap must go.
  virtual ~PrivateHeap();

  PrivateHeap(const PrivateHeap&) = delete;
  PrivateHeap& operator=(const PrivateHeap&) = delete;

  // A new object holding the same heap. Only one of the two may destroy it; the other is not used after that.
  virtual std::unique_ptr<PrivateHeap> copy() const;

  // Destroys an owned heap, then creates a new one. 1 if a heap is now held, else 0.
  virtual std::int32_t create(std::uint32_t options = 0, std::uint32_t initialSize = 0, std::uint32_t maximumSize = 0);
  // 1 if an owned private heap was destroyed; the process heap and none stay as they are (0).
  virtual std::int32_t destroy();
  // Destroys an owned heap, then holds `heap`, or the process heap for none (0).
  virtual void attach(Word heap = 0);

  // Flags omitted (nullopt): HEAP_ZERO_MEMORY. A given value, 0 included, is used as it is.
  virtual Word alloc(std::uint32_t size, std::optional<std::uint32_t> flags = std::nullopt);
  virtual Word realloc(Word block, std::optional<std::uint32_t> flags, std::uint32_t newSize);
  // Flags omitted: 0. 1 if freed, else 0.
  virtual std::int32_t free(Word block, std::uint32_t flags = 0);
  virtual Word handle() const;
  // The platform's answer; 0 without a heap.
  virtual Word compact(std::uint32_t flags = 0);
  // The platform's answer (all bits set on failure); without a heap or a block, all bits set and no call made.
  virtual Word size(Word block, std::uint32_t flags = 0);

 private:
  struct Held {};
  PrivateHeap(Held, Word heap) : heapHandle_(heap) {}

  Word heapHandle_ = 0;
};

}  // namespace deskflip::support
