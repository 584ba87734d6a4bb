#include <windows.h>

#include "runtime/static_image.h"

namespace deskflip::runtime {

std::size_t staticBytesFrom(const void* address) {
  if (address == nullptr) return 0;
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(address, &region, sizeof region) == 0) return 0;
  if (region.Type != MEM_IMAGE || region.State != MEM_COMMIT) return 0;
  const auto* end = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
  return static_cast<std::size_t>(end - static_cast<const char*>(address));
}

}  // namespace deskflip::runtime
