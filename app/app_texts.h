#pragma once
// The program's texts, in GBK. They are defined in app_texts.cpp, the one file of the program compiled to GBK.

namespace deskflip::app::texts {

#define DESKFLIP_TEXT(name, text) extern const char name[];
#include "app/app_texts.inc"
#undef DESKFLIP_TEXT

}  // namespace deskflip::app::texts
