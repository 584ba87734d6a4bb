// The tray icon's bytes: one 32 x 32 image, 32 bits with alpha, a grey outline on a transparent background.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/main_window.h"

namespace deskflip::app {
namespace {

std::uint32_t at(std::size_t offset, int width) {
  const auto bytes = fishIconBytes();
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[offset + static_cast<std::size_t>(i)];
  return value;
}

constexpr std::size_t kPixels = 22 + 40;
constexpr std::size_t kMask = kPixels + 4096;

TEST(FishIcon, HasTheIconFileLayout) {
  ASSERT_EQ(fishIconBytes().size(), 4286u);
  EXPECT_EQ(at(0, 2), 0u);     // reserved
  EXPECT_EQ(at(2, 2), 1u);     // icon
  EXPECT_EQ(at(4, 2), 1u);     // one image
  EXPECT_EQ(at(6, 1), 32u);    // 32 wide
  EXPECT_EQ(at(7, 1), 32u);    // 32 high
  EXPECT_EQ(at(12, 2), 32u);   // bits per pixel
  EXPECT_EQ(at(14, 4), 4264u);  // image size
  EXPECT_EQ(at(18, 4), 22u);   // image offset
  EXPECT_EQ(at(22, 4), 40u);   // bitmap header
  EXPECT_EQ(at(26, 4), 32u);
  EXPECT_EQ(at(30, 4), 64u);   // colour rows and mask rows
  EXPECT_EQ(at(36, 2), 32u);
}

TEST(FishIcon, PixelsAreGreyOutlineOrFullyTransparentAndTheMaskAgrees) {
  int outline = 0;
  for (std::size_t pixel = 0; pixel < 1024; ++pixel) {
    const std::uint32_t bgra = at(kPixels + 4 * pixel, 4);
    const bool transparentInMask = (at(kMask + pixel / 8, 1) >> (7 - pixel % 8) & 1) != 0;
    if (bgra == 0) {
      EXPECT_TRUE(transparentInMask) << pixel;
    } else {
      EXPECT_EQ(bgra, 0xFF828283u) << pixel;  // opaque, RGB 130, 130, 131
      EXPECT_FALSE(transparentInMask) << pixel;
      ++outline;
    }
  }
  // An outline, not a filled shape and not an empty picture.
  EXPECT_GT(outline, 60);
  EXPECT_LT(outline, 300);
}

TEST(FishIcon, FacesLeftWithItsTailAtTheRight) {
  // Row by row from the bottom: the leftmost and rightmost outline columns.
  int leftmost = 32;
  int rightmost = -1;
  int tallestRightColumn = 0;
  for (int x = 0; x < 32; ++x) {
    int height = 0;
    for (int y = 0; y < 32; ++y) {
      if (at(kPixels + 4 * static_cast<std::size_t>(y * 32 + x), 4) == 0) continue;
      ++height;
      leftmost = std::min(leftmost, x);
      rightmost = std::max(rightmost, x);
    }
    if (x >= 26) tallestRightColumn = std::max(tallestRightColumn, height);
  }
  EXPECT_LE(leftmost, 4);
  EXPECT_GE(rightmost, 28);
  // The forked tail spreads wider at the right than the body's outline at any single column.
  EXPECT_GE(tallestRightColumn, 4);
}

}  // namespace
}  // namespace deskflip::app
