#include "support/module_globals.h"

#include "runtime/memory.h"
#include "support/cpu_features.h"
#include "support/environment_marker.h"
#include "support/memory_pool.h"
#include "support/support_texts.h"
#include "support/system_info_record.h"

namespace deskflip::support {

SystemInfoRecord* systemInfoRecord = nullptr;
MemoryPool* memoryPool = nullptr;

namespace {
constexpr std::int32_t kPoolSize = 20 * 1024 * 1024;
}  // namespace

void constructModuleGlobals() {
  systemInfoRecord = static_cast<SystemInfoRecord*>(runtime::allocateMemory(sizeof(SystemInfoRecord)));
  memoryPool = new MemoryPool;
}

void destroyModuleGlobals() {
  runtime::freeMemory(systemInfoRecord);
  systemInfoRecord = nullptr;
  delete memoryPool;
  memoryPool = nullptr;
}

void startSupportModule() {
  if (systemInfoRecord != nullptr) takeSystemSnapshot(*systemInfoRecord);
  setEnvVar(kMarkerName, texts::kMarkerValue, true);
  if (memoryPool != nullptr) memoryPool->init(kPoolSize);
  recordCpuFeatures();
}

}  // namespace deskflip::support
