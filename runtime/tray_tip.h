#pragma once
// The tray icon's tip: a 64-byte field of GBK text.

namespace deskflip::runtime {

inline constexpr int kTrayTipFieldSize = 64;
inline constexpr int kTrayTipMaxBytes = 62;

// Copies at most the first 62 bytes of `tip` into `field`, zero-terminated. A GBK double-byte character that would
// straddle the cut is left out whole rather than split, so the tip never ends in half a character. None gives "".
void cutTrayTip(const char* tip, char (&field)[kTrayTipFieldSize]);

}  // namespace deskflip::runtime
