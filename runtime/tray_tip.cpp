#include "runtime/tray_tip.h"

namespace deskflip::runtime {
namespace {

// GBK lead bytes are 0x81 to 0xFE; the byte after one belongs to the same character.
bool isLeadByte(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return value >= 0x81 && value <= 0xFE;
}

}  // namespace

void cutTrayTip(const char* tip, char (&field)[kTrayTipFieldSize]) {
  int length = 0;
  if (tip != nullptr) {
    while (tip[length] != '\0') {
      const int characterLength = isLeadByte(tip[length]) && tip[length + 1] != '\0' ? 2 : 1;
      if (length + characterLength > kTrayTipMaxBytes) break;
      length += characterLength;
    }
  }
  for (int i = 0; i < length; ++i) field[i] = tip[i];
  for (int i = length; i < kTrayTipFieldSize; ++i) field[i] = '\0';
}

}  // namespace deskflip::runtime
