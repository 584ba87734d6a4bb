#pragma once
// The run time's texts, in GBK. They are defined in runtime_texts.cpp, the one file compiled to GBK.

namespace deskflip::runtime::texts {

#define DESKFLIP_TEXT(name, text) extern const char name[];
#include "runtime/runtime_texts.inc"
#undef DESKFLIP_TEXT

// The caption of the run time's error report; plain ASCII, the same in every code page.
inline constexpr char kErrorCaption[] = "deskflip";

}  // namespace deskflip::runtime::texts
