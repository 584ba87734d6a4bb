#include "support/system_info_record.h"

#include "runtime/bindings.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/substitute/system_environment.h"
#endif

namespace deskflip::support {

namespace {
#ifdef _WIN32
using PlatformSystemInfo = SYSTEM_INFO;
#else
using PlatformSystemInfo = substitute::SystemInfo;
#endif
}  // namespace

void takeSystemSnapshot(SystemInfoRecord& record) {
  PlatformSystemInfo info{};
  runtime::callPlatformFunction(runtime::Binding::GetSystemInfo, &info);
  record.processorArchitecture = info.wProcessorArchitecture;
  record.reserved = info.wReserved;
  record.pageSize = info.dwPageSize;
  record.minimumApplicationAddress = reinterpret_cast<Word>(info.lpMinimumApplicationAddress);
  record.maximumApplicationAddress = reinterpret_cast<Word>(info.lpMaximumApplicationAddress);
  record.activeProcessorMask = static_cast<Word>(info.dwActiveProcessorMask);
  record.numberOfProcessors = info.dwNumberOfProcessors;
  record.processorType = info.dwProcessorType;
  record.allocationGranularity = info.dwAllocationGranularity;
  record.processorLevel = info.wProcessorLevel;
  record.processorRevision = info.wProcessorRevision;
}

}  // namespace deskflip::support
