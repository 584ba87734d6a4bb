#include "runtime/icon_directory.h"

namespace deskflip::runtime {
namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::uint32_t kBitmapHeaderSize = 40;

std::uint32_t readLittleEndian(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i > 0; --i) value = (value << 8) | bytes[offset + i - 1];
  return value;
}

struct Entry {
  std::int32_t width;
  std::int32_t height;
  std::int32_t colours;
  std::span<const std::uint8_t> image;
};

// An entry's colour count: its own field when set; a zero field means as many colours as its bits give, and
// 8 bits or more (or no bit count, as in cursors and PNG images) count as plenty.
std::int32_t colourCountOf(std::uint32_t colourField, std::uint32_t bitCount) {
  if (colourField != 0) return static_cast<std::int32_t>(colourField);
  if (bitCount == 0 || bitCount >= 8) return 256;
  return 1 << bitCount;
}

std::optional<Entry> readEntry(std::span<const std::uint8_t> file, std::size_t index, std::size_t directoryEnd) {
  const std::size_t at = kHeaderSize + index * kEntrySize;
  const std::uint32_t width = file[at];
  const std::uint32_t height = file[at + 1];
  const std::uint32_t colourField = file[at + 2];
  const std::uint32_t bitCount = readLittleEndian(file, at + 6, 2);
  const std::uint64_t size = readLittleEndian(file, at + 8, 4);
  const std::uint64_t offset = readLittleEndian(file, at + 12, 4);
  if (size == 0 || offset < directoryEnd || offset + size > file.size()) return std::nullopt;
  return Entry{width == 0 ? 256 : static_cast<std::int32_t>(width), height == 0 ? 256 : static_cast<std::int32_t>(height),
               colourCountOf(colourField, bitCount), file.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size))};
}

// The size the image itself declares: a bitmap header's width and half its height (colour rows and mask rows are
// stacked); otherwise (a PNG image) the directory's size.
IconImage imageOf(const Entry& entry) {
  const std::span<const std::uint8_t> image = entry.image;
  if (image.size() >= kBitmapHeaderSize && readLittleEndian(image, 0, 4) == kBitmapHeaderSize) {
    const auto width = static_cast<std::int32_t>(readLittleEndian(image, 4, 4));
    const auto bitmapHeight = static_cast<std::int32_t>(readLittleEndian(image, 8, 4));
    if (width > 0 && bitmapHeight > 1) return IconImage{image, width, bitmapHeight / 2};
  }
  return IconImage{image, entry.width, entry.height};
}

}  // namespace

std::optional<IconImage> selectIconImage(std::span<const std::uint8_t> file, std::int32_t preferredWidth) {
  if (file.size() < kHeaderSize) return std::nullopt;
  const std::uint32_t reserved = readLittleEndian(file, 0, 2);
  const std::uint32_t type = readLittleEndian(file, 2, 2);
  const std::size_t count = readLittleEndian(file, 4, 2);
  if (reserved != 0 || (type != 1 && type != 2) || count == 0) return std::nullopt;
  const std::size_t directoryEnd = kHeaderSize + count * kEntrySize;
  if (directoryEnd > file.size()) return std::nullopt;

  std::optional<Entry> last;
  for (std::size_t index = 0; index < count; ++index) {
    const std::optional<Entry> entry = readEntry(file, index, directoryEnd);
    if (!entry) continue;
    if (entry->width == preferredWidth && entry->colours >= 16) return imageOf(*entry);
    last = entry;
  }
  if (!last) return std::nullopt;
  return imageOf(*last);
}

}  // namespace deskflip::runtime
