#include "app/main_window.h"

namespace deskflip::app {
namespace {

// Drawn in resources/fish.txt.
constexpr std::uint8_t kFishIcon[] = {
#include "fish_icon_bytes.inc"
};

}  // namespace

std::span<const std::uint8_t> fishIconBytes() { return kFishIcon; }

}  // namespace deskflip::app
