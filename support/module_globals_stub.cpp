// Placeholder until the support module's globals and start-up are built: nothing to construct or start.
#include "support/module_globals.h"

namespace deskflip::support {

SystemInfoRecord* systemInfoRecord = nullptr;
MemoryPool* memoryPool = nullptr;

void constructModuleGlobals() {}
void destroyModuleGlobals() {}
void startSupportModule() {}

}  // namespace deskflip::support
