#include "runtime/memory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/fatal_error.h"
#include "runtime/runtime_texts.h"
#include "runtime/static_image.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace deskflip::runtime {
namespace {

int pendingFailures = 0;

bool failureInjected() {
  if (pendingFailures <= 0) return false;
  --pendingFailures;
  return true;
}


void* heapAllocate(std::size_t bytes) {
#ifdef _WIN32
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
#else
  return std::calloc(1, std::max<std::size_t>(bytes, 1));
#endif
}

void* heapResize(void* block, std::size_t bytes) {
#ifdef _WIN32
  return HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, bytes);
#else
  return std::realloc(block, std::max<std::size_t>(bytes, 1));
#endif
}

void heapFree(void* block) {
#ifdef _WIN32
  HeapFree(GetProcessHeap(), 0, block);
#else
  std::free(block);
#endif
}

}  // namespace

void allocationFailed(std::int32_t byteCount) {
  char message[128];
  std::snprintf(message, sizeof message, texts::kAllocationFailedFormat, static_cast<int>(byteCount));
  fatalRuntimeError(message);
}

void* allocateMemory(std::int32_t byteCount) {
  if (byteCount < 0 || failureInjected()) allocationFailed(byteCount);
  void* block = heapAllocate(static_cast<std::size_t>(byteCount));
  if (block == nullptr) allocationFailed(byteCount);
  return block;
}

void freeMemory(void* block) {
  if (block == nullptr || staticBytesFrom(block) != 0) return;
  heapFree(block);
}

void* reallocateMemory(void* block, std::int32_t byteCount) {
  if (block == nullptr) return allocateMemory(byteCount);
  if (const std::size_t imageBytes = staticBytesFrom(block); imageBytes != 0) {
    // The constants the run time hands to the program are texts: the copy takes the text and its terminator.
    const std::size_t textBytes = strnlen(static_cast<const char*>(block), imageBytes - 1) + 1;
    void* copy = allocateMemory(byteCount);
    std::memcpy(copy, block, std::min(textBytes, static_cast<std::size_t>(byteCount)));
    return copy;
  }
  if (byteCount < 0 || failureInjected()) allocationFailed(byteCount);
  void* resized = heapResize(block, static_cast<std::size_t>(byteCount));
  if (resized == nullptr) allocationFailed(byteCount);
  return resized;
}

void makeArrayPrivate(std::size_t elementSize, void*& list) {
  if (list == nullptr || staticBytesFrom(list) == 0) return;
  const auto* header = static_cast<const ArrayHeader*>(list);
  const std::size_t bytes = sizeof(ArrayHeader) + static_cast<std::size_t>(std::max(header->count, 0)) * elementSize;
  void* copy = allocateMemory(static_cast<std::int32_t>(bytes));
  std::memcpy(copy, list, std::min(bytes, staticBytesFrom(list)));
  list = copy;
}

void failNextAllocationsForTesting(int count) { pendingFailures = count; }

}  // namespace deskflip::runtime
