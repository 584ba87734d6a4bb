#pragma once
// Watches chosen platform functions behind their bindings: records each call, lets a test make a call fail, and
// otherwise passes it on to the real function (the platform's or the substitute's).
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

#include "runtime/bindings.h"

namespace deskflip::testing {

struct PlatformCall {
  runtime::Binding binding;
  std::vector<Word> arguments;
};

class PlatformCalls {
 public:
  explicit PlatformCalls(std::initializer_list<runtime::Binding> watched);
  ~PlatformCalls();
  PlatformCalls(const PlatformCalls&) = delete;
  PlatformCalls& operator=(const PlatformCalls&) = delete;

  // Asked before each watched call is passed on; true makes the call fail (it returns 0).
  std::function<bool(runtime::Binding, std::span<const Word>)> fail;
  // Recorded while true, in the order made.
  bool recording = true;
  std::vector<PlatformCall> calls;

  std::vector<PlatformCall> callsOf(runtime::Binding binding) const;

 private:
  std::vector<runtime::Binding> watched_;
};

}  // namespace deskflip::testing
