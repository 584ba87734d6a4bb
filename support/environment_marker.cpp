#include "support/environment_marker.h"

#include "runtime/bindings.h"
#include "support/platform_result.h"

namespace deskflip::support {

std::int32_t setEnvVar(const char* name, const char* value, bool set) {
  const char* given = set ? value : nullptr;
  return platformSucceeded(runtime::callPlatformFunction(runtime::Binding::SetEnvironmentVariableA, name, given)) ? 1
                                                                                                                 : 0;
}

}  // namespace deskflip::support
