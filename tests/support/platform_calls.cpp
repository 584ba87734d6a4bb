#include "tests/support/platform_calls.h"

#include "runtime/binding_overrides.h"

namespace deskflip::testing {

using runtime::Binding;

PlatformCalls::PlatformCalls(std::initializer_list<Binding> watched) : watched_(watched) {
  for (const Binding binding : watched_) {
    runtime::setBindingOverride(binding, [this, binding](std::span<const Word> arguments) -> Word {
      if (recording) calls.push_back({binding, {arguments.begin(), arguments.end()}});
      if (fail && fail(binding, arguments)) return 0;
      return runtime::invokePlatformFunction(binding, arguments);
    });
  }
}

PlatformCalls::~PlatformCalls() {
  for (const Binding binding : watched_) runtime::setBindingOverride(binding, nullptr);
}

std::vector<PlatformCall> PlatformCalls::callsOf(Binding binding) const {
  std::vector<PlatformCall> found;
  for (const PlatformCall& call : calls) {
    if (call.binding == binding) found.push_back(call);
  }
  return found;
}

}  // namespace deskflip::testing
