// The substitute's kernel32: the table the binding loader searches.
#include "platform/substitute/critical_sections.h"
#include "platform/substitute/heaps.h"
#include "platform/substitute/last_error.h"
#include "platform/substitute/libraries.h"
#include "platform/substitute/memory_fills.h"
#include "platform/substitute/system_environment.h"
#include "platform/substitute/text_copy.h"

namespace deskflip::substitute {

std::span<const SubstituteFunction> kernel32Functions() {
  static constexpr SubstituteFunction kFunctions[] = {
      {"GetLastError", &entry<&GetLastError>},
      {"GetSystemInfo", &entry<&GetSystemInfo>},
      {"SetEnvironmentVariableA", &entry<&SetEnvironmentVariableA>},
      {"HeapCreate", &entry<&HeapCreate>},
      {"HeapDestroy", &entry<&HeapDestroy>},
      {"GetProcessHeap", &entry<&GetProcessHeap>},
      {"HeapAlloc", &entry<&HeapAlloc>},
      {"HeapReAlloc", &entry<&HeapReAlloc>},
      {"HeapFree", &entry<&HeapFree>},
      {"HeapCompact", &entry<&HeapCompact>},
      {"HeapSize", &entry<&HeapSize>},
      {"InitializeCriticalSectionAndSpinCount", &entry<&InitializeCriticalSectionAndSpinCount>},
      {"SetCriticalSectionSpinCount", &entry<&SetCriticalSectionSpinCount>},
      {"EnterCriticalSection", &entry<&EnterCriticalSection>},
      {"LeaveCriticalSection", &entry<&LeaveCriticalSection>},
      {"TryEnterCriticalSection", &entry<&TryEnterCriticalSection>},
      {"DeleteCriticalSection", &entry<&DeleteCriticalSection>},
      {"RtlFillMemory", &entry<&RtlFillMemory>},
      {"RtlMoveMemory", &entry<&RtlMoveMemory>},
      {"RtlZeroMemory", &entry<&RtlZeroMemory>},
      {"lstrcpynA", &entry<&lstrcpynA>},
  };
  return kFunctions;
}

}  // namespace deskflip::substitute
