#pragma once
// Choosing the image of an ICO (or CUR) file that becomes the tray icon. The bytes come from outside the run time's
// control, so every field is checked against the byte count before it is used.
#include <cstdint>
#include <optional>
#include <span>

namespace deskflip::runtime {

struct IconImage {
  std::span<const std::uint8_t> data;  // the image's bytes inside the file
  std::int32_t width;                  // as the image itself gives it
  std::int32_t height;                 // half the bitmap's height (colour rows, without the mask)
};

// Directory: reserved word 0, type 1 (icon) or 2 (cursor), at least one entry. Takes the first entry `preferredWidth`
// wide with at least 16 colours, else the last entry. Entries whose bytes lie outside the file, overlap the
// directory or are empty are never taken. None when the file is not a usable icon file.
std::optional<IconImage> selectIconImage(std::span<const std::uint8_t> file, std::int32_t preferredWidth);

}  // namespace deskflip::runtime
