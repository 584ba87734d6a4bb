// Linked into the program's executables only (never into tests): the few failures the standard library can raise
// in this program become the run time's fatal errors instead of C++ exceptions. Nothing in the program catches
// them, and without these definitions the static library's exception reporting (demangler, string-carrying
// exception types) would triple the size of the exe.
#include <cstdio>
#include <exception>

#include "runtime/fatal_error.h"
#include "runtime/runtime_texts.h"

namespace {

[[noreturn]] void outOfMemory() {
  char message[64];
  // The standard library does not say how much it asked for.
  std::snprintf(message, sizeof message, deskflip::runtime::texts::kAllocationFailedFormat, -1);
  deskflip::runtime::fatalRuntimeError(message);
}

[[noreturn]] void internalError(const char* what) { deskflip::runtime::fatalRuntimeError(what); }

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { internalError("terminate"); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { outOfMemory(); }
void __throw_bad_array_new_length() { outOfMemory(); }
void __throw_length_error(const char* what) { internalError(what); }
void __throw_out_of_range(const char* what) { internalError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { internalError(what); }
void __throw_bad_function_call() { internalError("bad function call"); }
}  // namespace std
