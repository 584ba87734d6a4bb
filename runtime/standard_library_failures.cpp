// Linked into the program's executables only (never into tests): the C++ free store and the few failures the
// standard library can raise become the run time's fatal errors instead of C++ exceptions. Nothing in the program
// catches them, and without these definitions the static library's exception reporting (demangler,
// string-carrying exception types) would triple the size of the exe.
#include <climits>
#include <cstdlib>
#include <exception>
#include <new>

#include "runtime/fatal_error.h"
#include "runtime/memory.h"

namespace {

void* allocateOrEnd(std::size_t size) {
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  deskflip::runtime::allocationFailed(size <= INT_MAX ? static_cast<std::int32_t>(size) : -1);
}

[[noreturn]] void internalError(const char* what) { deskflip::runtime::fatalRuntimeError(what); }

}  // namespace

void* operator new(std::size_t size) { return allocateOrEnd(size); }
void* operator new[](std::size_t size) { return allocateOrEnd(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace __gnu_cxx {
void __verbose_terminate_handler() { internalError("terminate"); }
}  // namespace __gnu_cxx

namespace std {
// The standard library does not say how much it asked for.
void __throw_bad_alloc() { deskflip::runtime::allocationFailed(-1); }
void __throw_bad_array_new_length() { deskflip::runtime::allocationFailed(-1); }
void __throw_length_error(const char* what) { internalError(what); }
void __throw_out_of_range(const char* what) { internalError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { internalError(what); }
void __throw_bad_function_call() { internalError("bad function call"); }
}  // namespace std
