// Resolving and calling bindings on Windows: LoadLibraryA and GetProcAddress, and on x86-32 a call that checks
// the stack pointer.
#include <windows.h>

#include <cstring>

#include "runtime/native_target.h"

namespace deskflip::runtime {
namespace {

// The library in the program's own folder, if there is one there. Library handles stay loaded for the life of the
// process: the cached exports point into them.
HMODULE loadFromProgramFolder(const char* library) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  char* lastSeparator = std::strrchr(path, '\\');
  if (lastSeparator == nullptr) return nullptr;
  const std::size_t folderLength = static_cast<std::size_t>(lastSeparator - path) + 1;
  const std::size_t libraryLength = std::strlen(library);
  if (folderLength + libraryLength >= MAX_PATH) return nullptr;
  std::memcpy(path + folderLength, library, libraryLength + 1);
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return nullptr;
  return LoadLibraryA(path);
}

}  // namespace

NativeTarget resolveNativeTarget(const char* library, const char* function) {
  HMODULE module = loadFromProgramFolder(library);
  if (module == nullptr) module = LoadLibraryA(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(module, function));
}

}  // namespace deskflip::runtime

#if defined(__i386__)

// x86-32: every bound function is __stdcall, so the callee removes its own arguments. Calling one with the wrong
// number of arguments leaves the stack pointer off by the difference; the thunk measures it and restores it.
//   Word deskflipCallStdcall(void* function, const Word* arguments, Word count, Word* stackDelta)
extern "C" deskflip::Word deskflipCallStdcall(void* function, const deskflip::Word* arguments, deskflip::Word count,
                                              deskflip::Word* stackDelta);
asm(R"(
    .text
    .globl _deskflipCallStdcall
    .def _deskflipCallStdcall; .scl 2; .type 32; .endef
_deskflipCallStdcall:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
    movl  %esp, %edi
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  call  *8(%ebp)
    movl  %esp, %ecx
    subl  %edi, %ecx
    movl  %edi, %esp
    movl  20(%ebp), %ebx
    movl  %ecx, (%ebx)
    popl  %edi
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret
)");

namespace deskflip::runtime {

Word callNativeTarget(NativeTarget target, std::span<const Word> arguments, bool* balanced) {
  Word stackDelta = 0;
  const Word result = deskflipCallStdcall(target, arguments.data(), arguments.size(), &stackDelta);
  *balanced = stackDelta == 0;
  return result;
}

}  // namespace deskflip::runtime

#else

// x86-64: one calling convention in which the caller owns the stack and removes what it pushed, so no call can
// unbalance it; a call with the wrong number of arguments goes unnoticed here.
namespace deskflip::runtime {

Word callNativeTarget(NativeTarget target, std::span<const Word> arguments, bool* balanced) {
  *balanced = true;
  const Word* a = arguments.data();
  switch (arguments.size()) {
    case 0: return reinterpret_cast<Word (*)()>(target)();
    case 1: return reinterpret_cast<Word (*)(Word)>(target)(a[0]);
    case 2: return reinterpret_cast<Word (*)(Word, Word)>(target)(a[0], a[1]);
    case 3: return reinterpret_cast<Word (*)(Word, Word, Word)>(target)(a[0], a[1], a[2]);
    case 4: return reinterpret_cast<Word (*)(Word, Word, Word, Word)>(target)(a[0], a[1], a[2], a[3]);
    case 5: return reinterpret_cast<Word (*)(Word, Word, Word, Word, Word)>(target)(a[0], a[1], a[2], a[3], a[4]);
    default:
      *balanced = false;  // no bound function takes more; refuse rather than drop arguments
      return 0;
  }
}

}  // namespace deskflip::runtime

#endif
