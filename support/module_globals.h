#pragma once
// The support module's globals and its start-up, as the application's start-up and exit hook use them.

namespace deskflip::support {

struct SystemInfoRecord;
class MemoryPool;

// Built by constructModuleGlobals; released and set back to null by destroyModuleGlobals, so that nothing can
// reach them after the exit hook.
extern SystemInfoRecord* systemInfoRecord;
extern MemoryPool* memoryPool;

// The zero-filled system record, then the pool (heap, lock, empty region list, spin count 300000).
void constructModuleGlobals();
// The record released, then the pool's destructor run and the pool released.
void destroyModuleGlobals();

// System snapshot, environment marker, the pool initialised with 20 MiB, processor flags; in this order. Parts
// whose global is not constructed are passed over.
void startSupportModule();

}  // namespace deskflip::support
