// Compiled with -fexec-charset=GBK: every literal here is GBK at run time.
#include "support/support_texts.h"

namespace deskflip::support::texts {

#define DESKFLIP_TEXT(name, text) extern const char name[] = text;
#include "support/support_texts.inc"
#undef DESKFLIP_TEXT

}  // namespace deskflip::support::texts
