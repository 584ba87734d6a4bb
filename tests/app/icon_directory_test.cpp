// Choosing the tray icon's image from the bytes of an icon file, including files that lie about themselves.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/main_window.h"
#include "runtime/icon_directory.h"

namespace deskflip::runtime {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putLittleEndian(Bytes& bytes, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct EntrySpec {
  std::uint8_t width;
  std::uint8_t colours;
  std::uint16_t bitCount;
  std::int32_t bitmapWidth;  // written into a 40-byte bitmap header as the image's start
};

// An icon file whose images are 40-byte bitmap headers followed by `extra` bytes each.
Bytes iconFile(const std::vector<EntrySpec>& entries, std::size_t extra = 8) {
  const std::size_t directoryEnd = 6 + 16 * entries.size();
  const std::size_t imageSize = 40 + extra;
  Bytes bytes(directoryEnd + imageSize * entries.size(), 0);
  putLittleEndian(bytes, 2, 1, 2);
  putLittleEndian(bytes, 4, static_cast<std::uint32_t>(entries.size()), 2);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t at = 6 + 16 * i;
    const std::size_t image = directoryEnd + imageSize * i;
    bytes[at] = entries[i].width;
    bytes[at + 1] = entries[i].width;
    bytes[at + 2] = entries[i].colours;
    putLittleEndian(bytes, at + 6, entries[i].bitCount, 2);
    putLittleEndian(bytes, at + 8, static_cast<std::uint32_t>(imageSize), 4);
    putLittleEndian(bytes, at + 12, static_cast<std::uint32_t>(image), 4);
    putLittleEndian(bytes, image, 40, 4);
    putLittleEndian(bytes, image + 4, static_cast<std::uint32_t>(entries[i].bitmapWidth), 4);
    putLittleEndian(bytes, image + 8, static_cast<std::uint32_t>(entries[i].bitmapWidth * 2), 4);
  }
  return bytes;
}

TEST(IconDirectory, TakesTheFirstSixteenWideEntryWithSixteenColoursOrMore) {
  // 16 wide with 8 colours does not count; 16 wide with 32 bits per pixel (colour field 0) does.
  const Bytes file = iconFile({{32, 0, 32, 32}, {16, 8, 4, 16}, {16, 0, 32, 17}, {16, 16, 4, 18}});
  const auto image = selectIconImage(file, 16);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 17);
  EXPECT_EQ(image->height, 17);
}

TEST(IconDirectory, WithoutAPreferredEntryTakesTheLast) {
  const Bytes file = iconFile({{32, 0, 32, 32}, {48, 0, 32, 48}});
  const auto image = selectIconImage(file, 16);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 48);
  EXPECT_EQ(image->height, 48);
  EXPECT_EQ(image->data.data(), file.data() + 6 + 32 + 48);
}

TEST(IconDirectory, TheSecondTryPrefersThirtyTwoPixels) {
  const Bytes file = iconFile({{32, 0, 32, 32}, {48, 0, 32, 48}});
  EXPECT_EQ(selectIconImage(file, 32)->width, 32);
}

TEST(IconDirectory, TheProgramsIconIsOneThirtyTwoPixelImageAtOffsetTwentyTwo) {
  const std::span<const std::uint8_t> file = app::fishIconBytes();
  ASSERT_EQ(file.size(), 4286u);
  const auto image = selectIconImage(file, 16);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->data.data(), file.data() + 22);
  EXPECT_EQ(image->data.size(), 4264u);
  EXPECT_EQ(image->width, 32);
  EXPECT_EQ(image->height, 32);
}

struct Malformed {
  const char* what;
  Bytes bytes;
};

Bytes withField(Bytes bytes, std::size_t at, std::uint32_t value, int width) {
  putLittleEndian(bytes, at, value, width);
  return bytes;
}

TEST(IconDirectory, RejectsFilesThatAreNotUsableIcons) {
  const Bytes good = iconFile({{32, 0, 32, 32}});
  const Malformed cases[] = {
      {"empty", {}},
      {"shorter than the header", Bytes(good.begin(), good.begin() + 5)},
      {"reserved word set", withField(good, 0, 1, 2)},
      {"type 0", withField(good, 2, 0, 2)},
      {"type 3", withField(good, 2, 3, 2)},
      {"no entries", withField(good, 4, 0, 2)},
      {"directory longer than the file", withField(good, 4, 2000, 2)},
      {"image beyond the end", withField(good, 6 + 8, static_cast<std::uint32_t>(good.size()), 4)},
      {"offset beyond the end", withField(good, 6 + 12, 0xFFFFFFF0u, 4)},
      {"offset plus size wraps 32 bits", withField(withField(good, 6 + 8, 0x20, 4), 6 + 12, 0xFFFFFFF0u, 4)},
      {"image inside the directory", withField(good, 6 + 12, 4, 4)},
      {"empty image", withField(good, 6 + 8, 0, 4)},
  };
  for (const Malformed& file : cases) EXPECT_FALSE(selectIconImage(file.bytes, 16)) << file.what;
}

TEST(IconDirectory, SkipsBrokenEntriesAndKeepsTheUsableOnes) {
  // The last entry points outside the file: the last usable one is taken instead.
  const Bytes file = withField(iconFile({{32, 0, 32, 32}, {48, 0, 32, 48}}), 6 + 16 + 12, 0x7FFFFFFF, 4);
  EXPECT_EQ(selectIconImage(file, 16)->width, 32);
}

TEST(IconDirectory, ACursorFileIsAccepted) {
  EXPECT_TRUE(selectIconImage(withField(iconFile({{32, 0, 0, 32}}), 2, 2, 2), 16));
}

TEST(IconDirectory, AnImageWithoutABitmapHeaderTakesTheDirectorysSize) {
  // A PNG image: its size comes from the entry, where 0 stands for 256.
  Bytes file = iconFile({{0, 0, 32, 0}});
  putLittleEndian(file, 22, 0x474E5089, 4);
  const auto image = selectIconImage(file, 16);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 256);
  EXPECT_EQ(image->height, 256);
}

}  // namespace
}  // namespace deskflip::runtime
