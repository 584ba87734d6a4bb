#pragma once
// The memory pool's byte formats: regions, blocks, filler bytes and free-table entries, and the reads and writes
// of their fields. Multi-byte fields are little-endian and unaligned, so every access goes through memcpy.
//
//   region: Edge | regionSize bytes of blocks and filler | Edge        (regions_ holds the address after the Edge)
//   block:  tag | totalSize (4) | user area (totalSize - 10) | totalSize (4) | tag
//   a free block keeps its 1-based free-table position (freeIndex, 4 bytes) in the first bytes of its user area.
#include <bit>
#include <cstdint>
#include <cstring>

#include "support/address.h"

namespace deskflip::support {

static_assert(std::endian::native == std::endian::little, "pool fields are stored in the machine's byte order");

enum class BlockTag : std::uint8_t {
  Free = 0,
  Used = 1,
  Edge = 2,
  Filler = 3,
};

inline constexpr std::int32_t kDefaultRegionSize = 2097152;
inline constexpr std::int32_t kEdgeBytes = 2;  // one Edge byte at each end of a region
inline constexpr std::int32_t kBlockOverhead = 10;
inline constexpr std::int32_t kSmallestUserSize = 4;
inline constexpr std::int32_t kSmallestBlock = kBlockOverhead + kSmallestUserSize;  // also what a free block needs
inline constexpr std::int32_t kMaxFillerRun = kSmallestBlock - 1;

// Offsets inside a block.
inline constexpr Word kSizeOffset = 1;
inline constexpr Word kUserOffset = 5;
inline constexpr Word kFreeIndexOffset = kUserOffset;
inline constexpr Word kTrailingSizeBack = 5;  // the trailing size starts this many bytes before the block's end

// A free-table entry: the block's totalSize (4 bytes), then its address, as wide as an address. 8 bytes on
// x86-32; a 64-bit build widens only the address.
inline constexpr std::int32_t kEntryBytes = 4 + static_cast<std::int32_t>(sizeof(Word));
inline constexpr Word kEntryAddressOffset = 4;
inline constexpr std::int32_t kTableStepEntries = 1000;
inline constexpr std::int32_t kTableStepBytes = kTableStepEntries * kEntryBytes;

// The private heap starts with room for the first region and the first free table.
inline constexpr std::int64_t initialHeapSize(std::int32_t regionSize) {
  return std::int64_t{regionSize} + kEdgeBytes + kTableStepBytes;
}

inline constexpr std::int32_t kPoolSpinCount = 300000;
inline constexpr std::int32_t kFreeEntryWarningLimit = 100000;
inline constexpr std::size_t kRegionWarningLimit = 10000;
inline constexpr std::uint32_t kTooManyFreeEntries = 1;
inline constexpr std::uint32_t kTooManyRegions = 2;

inline unsigned char* bytesAt(Word address) { return reinterpret_cast<unsigned char*>(address); }

inline std::uint8_t readByte(Word address) { return *bytesAt(address); }
inline void writeByte(Word address, std::uint8_t value) { *bytesAt(address) = value; }

inline BlockTag readTag(Word address) { return static_cast<BlockTag>(readByte(address)); }
inline void writeTag(Word address, BlockTag tag) { writeByte(address, static_cast<std::uint8_t>(tag)); }

inline std::int32_t readInt32(Word address) {
  std::int32_t value;
  std::memcpy(&value, bytesAt(address), sizeof value);
  return value;
}
inline void writeInt32(Word address, std::int32_t value) { std::memcpy(bytesAt(address), &value, sizeof value); }

inline Word readAddress(Word address) {
  Word value;
  std::memcpy(&value, bytesAt(address), sizeof value);
  return value;
}
inline void writeAddress(Word address, Word value) { std::memcpy(bytesAt(address), &value, sizeof value); }

// A block's fields, given its first byte.
inline std::int32_t leadingSize(Word block) { return readInt32(block + kSizeOffset); }
inline std::int32_t trailingSize(Word block, std::int32_t totalSize) {
  return readInt32(block + static_cast<Word>(totalSize) - kTrailingSizeBack);
}
inline BlockTag trailingTag(Word block, std::int32_t totalSize) {
  return readTag(block + static_cast<Word>(totalSize) - 1);
}
inline std::int32_t freeIndex(Word block) { return readInt32(block + kFreeIndexOffset); }
inline void writeFreeIndex(Word block, std::int32_t position) { writeInt32(block + kFreeIndexOffset, position); }

// Tag and totalSize at both ends of the block.
inline void markBlock(Word block, std::int32_t totalSize, BlockTag tag) {
  const Word end = block + static_cast<Word>(totalSize);
  writeTag(block, tag);
  writeInt32(block + kSizeOffset, totalSize);
  writeInt32(end - kTrailingSizeBack, totalSize);
  writeTag(end - 1, tag);
}

inline void fillWithFiller(Word address, std::int32_t count) {
  std::memset(bytesAt(address), static_cast<int>(BlockTag::Filler), static_cast<std::size_t>(count));
}

}  // namespace deskflip::support
