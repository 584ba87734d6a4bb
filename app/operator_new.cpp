// Linked into the program's executables only: the C++ free store as the run time's general memory would have it.
// Running out is the run time's fatal error, like any other failed allocation, instead of a std::bad_alloc that
// nothing catches; and without the throwing operator new the exe carries no exception machinery for it.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "runtime/fatal_error.h"
#include "runtime/runtime_texts.h"

namespace {

void* allocateOrEnd(std::size_t size) {
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  char message[64];
  std::snprintf(message, sizeof message, deskflip::runtime::texts::kAllocationFailedFormat, static_cast<int>(size));
  deskflip::runtime::fatalRuntimeError(message);
}

}  // namespace

void* operator new(std::size_t size) { return allocateOrEnd(size); }
void* operator new[](std::size_t size) { return allocateOrEnd(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
