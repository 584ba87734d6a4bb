#pragma once
// The run time's texts, in GBK (the source is compiled with -fexec-charset=GBK).

namespace deskflip::runtime::texts {

#define DESKFLIP_TEXT(name, text) inline constexpr char name[] = text;
#include "runtime/runtime_texts.inc"
#undef DESKFLIP_TEXT

// The caption of the run time's error report; plain ASCII, the same in every code page.
inline constexpr char kErrorCaption[] = "deskflip";

}  // namespace deskflip::runtime::texts
