#pragma once
// The substitute's system information and process environment.
#include <cstdint>

#include "runtime/word.h"

namespace deskflip::substitute {

// SYSTEM_INFO as an x86-64 process sees it.
struct SystemInfo {
  std::uint16_t wProcessorArchitecture;
  std::uint16_t wReserved;
  std::uint32_t dwPageSize;
  void* lpMinimumApplicationAddress;
  void* lpMaximumApplicationAddress;
  Word dwActiveProcessorMask;
  std::uint32_t dwNumberOfProcessors;
  std::uint32_t dwProcessorType;
  std::uint32_t dwAllocationGranularity;
  std::uint16_t wProcessorLevel;
  std::uint16_t wProcessorRevision;
};

inline constexpr std::uint16_t kProcessorArchitectureAmd64 = 9;
inline constexpr std::uint32_t kProcessorAmdX8664 = 8664;

// The functions as the program's bindings reach them.
void GetSystemInfo(SystemInfo* info);
// A null value removes the variable. Texts are bytes, passed on unchanged.
std::int32_t SetEnvironmentVariableA(const char* name, const char* value);

}  // namespace deskflip::substitute
