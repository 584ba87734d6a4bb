// Compiled with -fexec-charset=GBK: every literal here is GBK at run time.
#include "runtime/runtime_texts.h"

namespace deskflip::runtime::texts {

#define DESKFLIP_TEXT(name, text) extern const char name[] = text;
#include "runtime/runtime_texts.inc"
#undef DESKFLIP_TEXT

}  // namespace deskflip::runtime::texts
