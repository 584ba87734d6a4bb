#include "platform/substitute/system_environment.h"

#include <unistd.h>

#include <cpuid.h>
#include <cstdlib>
#include <cstring>

#include "platform/substitute/last_error.h"

namespace deskflip::substitute {
namespace {

constexpr Word kAllocationGranularity = 0x10000;
// The user address space of an x86-64 Windows process: from the first 64 KiB past null to just below 128 TiB.
constexpr Word kMinimumApplicationAddress = 0x10000;
constexpr Word kMaximumApplicationAddress = 0x00007FFFFFFEFFFF;

// Family, model and stepping as Windows reports them: the family as the level, model and stepping as the
// revision's high and low byte.
void fillProcessorIdentity(SystemInfo& info) {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return;
  unsigned family = (eax >> 8) & 0xF;
  unsigned model = (eax >> 4) & 0xF;
  if (family == 0xF) family += (eax >> 20) & 0xFF;
  if (family == 0x6 || family >= 0xF) model |= ((eax >> 16) & 0xF) << 4;
  info.wProcessorLevel = static_cast<std::uint16_t>(family);
  info.wProcessorRevision = static_cast<std::uint16_t>((model << 8) | (eax & 0xF));
}

}  // namespace

void GetSystemInfo(SystemInfo* info) {
  std::memset(info, 0, sizeof *info);
  info->wProcessorArchitecture = kProcessorArchitectureAmd64;
  info->dwPageSize = static_cast<std::uint32_t>(sysconf(_SC_PAGESIZE));
  info->lpMinimumApplicationAddress = reinterpret_cast<void*>(kMinimumApplicationAddress);
  info->lpMaximumApplicationAddress = reinterpret_cast<void*>(kMaximumApplicationAddress);
  long processors = sysconf(_SC_NPROCESSORS_ONLN);
  if (processors < 1) processors = 1;
  if (processors > 64) processors = 64;
  info->dwNumberOfProcessors = static_cast<std::uint32_t>(processors);
  info->dwActiveProcessorMask = processors == 64 ? ~Word{0} : (Word{1} << processors) - 1;
  info->dwProcessorType = kProcessorAmdX8664;
  info->dwAllocationGranularity = kAllocationGranularity;
  fillProcessorIdentity(*info);
}

std::int32_t SetEnvironmentVariableA(const char* name, const char* value) {
  // Windows keeps drive-current-directory variables under names that start with '='; no other name may hold one.
  if (name == nullptr || name[0] == '\0' || std::strchr(name + 1, '=') != nullptr) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  // Removing a variable that is not there succeeds too.
  if (value == nullptr) return unsetenv(name) == 0 ? 1 : 0;
  if (setenv(name, value, 1) != 0) {
    SetLastError(kErrorNotEnoughMemory);
    return 0;
  }
  return 1;
}

}  // namespace deskflip::substitute
