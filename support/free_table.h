#pragma once
// The pool's free table: an unordered array of entries in one block of the private heap, positions counted from 1.
// A free block holds its own position (freeIndex), so removing its entry needs no search.
#include <cstdint>

#include "support/pool_format.h"

namespace deskflip::support {

struct FreeEntry {
  std::int32_t totalSize;
  Word address;
  friend bool operator==(const FreeEntry&, const FreeEntry&) = default;
};

inline Word entryAt(Word table, std::int32_t position) {
  return table + static_cast<Word>(position - 1) * static_cast<Word>(kEntryBytes);
}

inline std::int32_t entrySize(Word table, std::int32_t position) { return readInt32(entryAt(table, position)); }

inline FreeEntry readFreeEntry(Word table, std::int32_t position) {
  const Word entry = entryAt(table, position);
  return {readInt32(entry), readAddress(entry + kEntryAddressOffset)};
}

inline void writeFreeEntry(Word table, std::int32_t position, FreeEntry value) {
  const Word entry = entryAt(table, position);
  writeInt32(entry, value.totalSize);
  writeAddress(entry + kEntryAddressOffset, value.address);
}

// The last entry fills the gap and its block learns its new position; then the table is one shorter.
inline void removeFreeEntry(Word table, std::int32_t& freeCount, std::int32_t position) {
  if (freeCount > 1) {
    const FreeEntry last = readFreeEntry(table, freeCount);
    writeFreeEntry(table, position, last);
    writeFreeIndex(last.address, position);
  }
  --freeCount;
}

// Bytes the table needs for `entries` entries.
inline std::int64_t tableBytes(std::int32_t entries) { return std::int64_t{entries} * kEntryBytes; }

}  // namespace deskflip::support
