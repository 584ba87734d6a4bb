#pragma once
// The support module's snapshot of the system information, member for member as GetSystemInfo reports it.
#include <cstddef>
#include <cstdint>

#include "runtime/word.h"

namespace deskflip::support {

// Addresses and the processor mask are as wide as a pointer: 32-bit in the product, 64-bit in a 64-bit build.
struct SystemInfoRecord {
  std::uint16_t processorArchitecture;
  std::uint16_t reserved;
  std::uint32_t pageSize;
  Word minimumApplicationAddress;
  Word maximumApplicationAddress;
  Word activeProcessorMask;
  std::uint32_t numberOfProcessors;
  std::uint32_t processorType;
  std::uint32_t allocationGranularity;
  std::uint16_t processorLevel;
  std::uint16_t processorRevision;
};

#if defined(__i386__)
static_assert(sizeof(SystemInfoRecord) == 36);
static_assert(offsetof(SystemInfoRecord, minimumApplicationAddress) == 8);
static_assert(offsetof(SystemInfoRecord, activeProcessorMask) == 16);
static_assert(offsetof(SystemInfoRecord, allocationGranularity) == 28);
static_assert(offsetof(SystemInfoRecord, processorRevision) == 34);
#endif

// Fills `record` from GetSystemInfo: the system as this process sees it (a 32-bit process gets the 32-bit view).
void takeSystemSnapshot(SystemInfoRecord& record);

}  // namespace deskflip::support
