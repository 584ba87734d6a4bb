#pragma once
// The substitute's heaps: private heaps made by HeapCreate and one process heap. Every heap knows its own
// blocks, so a block handed to the wrong heap is refused as the real functions refuse it.
#include <cstdint>

#include "runtime/word.h"

namespace deskflip::substitute {

inline constexpr std::uint32_t kHeapNoSerialize = 0x1;
inline constexpr std::uint32_t kHeapGenerateExceptions = 0x4;
inline constexpr std::uint32_t kHeapZeroMemory = 0x8;
inline constexpr std::uint32_t kHeapReallocInPlaceOnly = 0x10;

// The functions as the program's bindings reach them. Handles and blocks are machine words; sizes are SIZE_T.
Word HeapCreate(std::uint32_t options, Word initialSize, Word maximumSize);
std::int32_t HeapDestroy(Word heap);
Word GetProcessHeap();
Word HeapAlloc(Word heap, std::uint32_t flags, Word size);
Word HeapReAlloc(Word heap, std::uint32_t flags, Word block, Word size);
std::int32_t HeapFree(Word heap, std::uint32_t flags, Word block);
Word HeapCompact(Word heap, std::uint32_t flags);
Word HeapSize(Word heap, std::uint32_t flags, Word block);

}  // namespace deskflip::substitute
