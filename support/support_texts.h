#pragma once
// The support module's texts, in GBK. They are defined in support_texts.cpp, the one file here compiled to GBK.

namespace deskflip::support::texts {

#define DESKFLIP_TEXT(name, text) extern const char name[];
#include "support/support_texts.inc"
#undef DESKFLIP_TEXT

}  // namespace deskflip::support::texts
