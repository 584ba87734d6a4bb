// Every text of the program is GBK at run time; decoded, it must read exactly as written in the source.
#include <gtest/gtest.h>

#include <string>

#include "app/app_texts.h"
#include "runtime/runtime_texts.h"
#include "support/support_texts.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace deskflip::runtime {
namespace {

struct WrittenText {
  const char* name;
  const char* gbk;
  const char8_t* utf8;
};

constexpr WrittenText kTexts[] = {
#define DESKFLIP_TEXT(name, text) {#name, texts::name, u8##text},
#include "runtime/runtime_texts.inc"
#undef DESKFLIP_TEXT
#define DESKFLIP_TEXT(name, text) {#name, app::texts::name, u8##text},
#include "app/app_texts.inc"
#undef DESKFLIP_TEXT
#define DESKFLIP_TEXT(name, text) {#name, support::texts::name, u8##text},
#include "support/support_texts.inc"
#undef DESKFLIP_TEXT
};

#ifndef _WIN32
std::string decodeGbk(const std::string& gbk) {
  iconv_t converter = iconv_open("UTF-8", "GBK");
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::string input = gbk;
  std::string output(input.size() * 4 + 4, '\0');
  char* in = input.data();
  char* out = output.data();
  std::size_t inLeft = input.size();
  std::size_t outLeft = output.size();
  const std::size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  EXPECT_NE(converted, static_cast<std::size_t>(-1)) << "not valid GBK";
  output.resize(output.size() - outLeft);
  return output;
}

TEST(Texts, GbkDecodesToTheWrittenText) {
  for (const WrittenText& text : kTexts) {
    EXPECT_EQ(decodeGbk(text.gbk), reinterpret_cast<const char*>(text.utf8)) << text.name;
  }
}
#endif

TEST(Texts, AreNotStoredAsUtf8) {
  // U+4E00..U+9FFF take three bytes in UTF-8 and two in GBK: a Chinese text that kept its UTF-8 length was not
  // converted.
  for (const WrittenText& text : kTexts) {
    EXPECT_LT(std::char_traits<char>::length(text.gbk),
              std::char_traits<char8_t>::length(text.utf8))
        << text.name;
  }
}

}  // namespace
}  // namespace deskflip::runtime
