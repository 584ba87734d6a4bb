// Compiled with -fexec-charset=GBK: every literal here is GBK at run time.
#include "app/app_texts.h"

namespace deskflip::app::texts {

#define DESKFLIP_TEXT(name, text) extern const char name[] = text;
#include "app/app_texts.inc"
#undef DESKFLIP_TEXT

}  // namespace deskflip::app::texts
