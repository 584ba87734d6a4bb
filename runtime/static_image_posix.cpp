#include <link.h>

#include <cstdint>

#include "runtime/static_image.h"

namespace deskflip::runtime {
namespace {

struct Search {
  std::uintptr_t address;
  std::size_t remaining;
};

int findSegment(dl_phdr_info* info, std::size_t, void* context) {
  auto* search = static_cast<Search*>(context);
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD) continue;
    const std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
    const std::uintptr_t end = start + segment.p_memsz;
    if (search->address >= start && search->address < end) {
      search->remaining = end - search->address;
      return 1;
    }
  }
  return 0;
}

}  // namespace

std::size_t staticBytesFrom(const void* address) {
  if (address == nullptr) return 0;
  Search search{reinterpret_cast<std::uintptr_t>(address), 0};
  dl_iterate_phdr(&findSegment, &search);
  return search.remaining;
}

}  // namespace deskflip::runtime
