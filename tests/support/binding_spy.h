#pragma once
// A binding that records every call and passes it on to the real platform function, unless the test's answer
// replaces the result (a failure on demand).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "runtime/binding_overrides.h"
#include "tests/common/binding_fakes.h"

namespace deskflip::testing {

class BindingSpy {
 public:
  using Arguments = std::vector<Word>;
  // Returns the result to give instead of calling the real function, or nullopt to call it.
  using Answer = std::function<std::optional<Word>(const Arguments&)>;

  explicit BindingSpy(runtime::Binding binding, Answer answer = {})
      : binding_(binding),
        answer_(std::move(answer)),
        override_(binding, [this](std::span<const Word> arguments) { return record(arguments); }) {}

  // The real function's result for `arguments`, as if no spy were there.
  Word callReal(const Arguments& arguments) const { return runtime::invokePlatformFunction(binding_, arguments); }

  std::vector<Arguments> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  std::size_t callCount() const { return calls().size(); }

 private:
  Word record(std::span<const Word> arguments) {
    Arguments copy(arguments.begin(), arguments.end());
    {
      std::lock_guard lock(mutex_);
      calls_.push_back(copy);
    }
    if (answer_) {
      if (std::optional<Word> replaced = answer_(copy)) return *replaced;
    }
    return callReal(copy);
  }

  runtime::Binding binding_;
  Answer answer_;
  mutable std::mutex mutex_;
  std::vector<Arguments> calls_;
  ScopedBindingOverride override_;
};

// Fails the test if any of the given bindings is called while the object lives.
class ForbiddenBindings {
 public:
  explicit ForbiddenBindings(std::initializer_list<runtime::Binding> bindings) {
    for (runtime::Binding binding : bindings) {
      guards_.push_back(std::make_unique<ScopedBindingOverride>(binding, [binding](std::span<const Word>) -> Word {
        ADD_FAILURE() << "platform function called: " << runtime::bindingInfo(binding).function;
        return 0;
      }));
    }
  }

 private:
  std::vector<std::unique_ptr<ScopedBindingOverride>> guards_;
};

// The process heap's handle, asked of the platform directly.
inline Word processHeap() { return runtime::callPlatformFunction(runtime::Binding::GetProcessHeap); }

}  // namespace deskflip::testing
