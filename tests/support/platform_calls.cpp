#include "tests/support/platform_calls.h"

#include <array>

#include "runtime/binding_overrides.h"
#include "runtime/native_target.h"

namespace deskflip::testing {

using runtime::Binding;

Word callRealPlatformFunction(Binding binding, std::span<const Word> arguments) {
  // Resolved once per binding; the functions stay loaded for the life of the process.
  static std::array<runtime::NativeTarget, runtime::kBindingCount> targets{};
  runtime::NativeTarget& target = targets[static_cast<std::size_t>(binding)];
  if (target == nullptr) {
    const runtime::BindingInfo& info = runtime::bindingInfo(binding);
    target = runtime::resolveNativeTarget(info.library, info.function);
  }
  bool balanced = true;
  return runtime::callNativeTarget(target, arguments, &balanced);
}

PlatformCalls::PlatformCalls(std::initializer_list<Binding> watched) : watched_(watched) {
  for (const Binding binding : watched_) {
    runtime::setBindingOverride(binding, [this, binding](std::span<const Word> arguments) -> Word {
      if (recording) calls.push_back({binding, {arguments.begin(), arguments.end()}});
      if (fail && fail(binding, arguments)) return 0;
      return callRealPlatformFunction(binding, arguments);
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
