// The tray tip's 64-byte field.
#include <gtest/gtest.h>

#include <string>

#include "app/app_texts.h"
#include "runtime/tray_tip.h"

namespace deskflip::runtime {
namespace {

std::string cut(const std::string& tip) {
  char field[kTrayTipFieldSize];
  std::fill(std::begin(field), std::end(field), 'x');
  cutTrayTip(tip.c_str(), field);
  EXPECT_EQ(field[kTrayTipFieldSize - 1], '\0');
  return field;
}

TEST(TrayTip, TheProgramsTipIsShownWhole) {
  const std::string tip = app::texts::kTrayTip;
  EXPECT_EQ(tip.size(), 39u);
  EXPECT_EQ(cut(tip), tip);
}

TEST(TrayTip, LongTipsAreCutAfterSixtyTwoBytes) {
  EXPECT_EQ(cut(std::string(100, 'a')), std::string(62, 'a'));
  EXPECT_EQ(cut(std::string(62, 'a')), std::string(62, 'a'));
  EXPECT_EQ(cut(""), "");
}

TEST(TrayTip, ADoubleByteCharacterIsNotCutInHalf) {
  const std::string character = "\xD3\xE3";  // one GBK character
  // 61 single bytes leave one byte of room: the character does not fit and is left out whole.
  EXPECT_EQ(cut(std::string(61, 'a') + character + "b"), std::string(61, 'a'));
  // 60 single bytes leave two: it fits exactly.
  EXPECT_EQ(cut(std::string(60, 'a') + character + "b"), std::string(60, 'a') + character);
  // 31 characters are 62 bytes.
  std::string characters;
  for (int i = 0; i < 32; ++i) characters += character;
  EXPECT_EQ(cut(characters), characters.substr(0, 62));
}

TEST(TrayTip, ALeadByteAtTheEndOfTheTextCountsAlone) {
  EXPECT_EQ(cut("ab\xD3"), "ab\xD3");
}

}  // namespace
}  // namespace deskflip::runtime
