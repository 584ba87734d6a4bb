#pragma once
// The program's general memory: blocks of the process heap. Running out of memory is a fatal run-time error.
#include <cstddef>
#include <cstdint>

namespace deskflip::runtime {

// A zero-filled block of `byteCount` bytes. A negative count, or a heap that cannot supply the block, is fatal:
// "分配 N 字节内存失败!".
void* allocateMemory(std::int32_t byteCount);

// The fatal error of a failed allocation of `byteCount` bytes (-1 when the size is not known).
[[noreturn]] void allocationFailed(std::int32_t byteCount);

// Returns `block` to the heap. None (null) and the program's constant data are ignored.
void freeMemory(void* block);

// None: a new block. Constant data (a constant text): a new block holding as much of the text as fits. A block of the
// heap: resized, its contents kept up to the smaller of the two sizes. Failure is fatal, as for allocateMemory.
void* reallocateMemory(void* block, std::int32_t byteCount);

// A run-time array: its element count, then the elements.
struct ArrayHeader {
  std::int32_t count;
};

// Before a change to the array that `list` refers to: an array still in constant data is copied into a block of
// its own, and `list` then refers to the copy. Arrays already in the heap, and none, stay as they are.
void makeArrayPrivate(std::size_t elementSize, void*& list);

// Makes the next `count` allocations fail, as a heap that has run out would (tests of the fatal path).
void failNextAllocationsForTesting(int count);

}  // namespace deskflip::runtime
