#pragma once
// Replacing a binding: the seam through which tests simulate key states, failures and event logs. An override
// takes the argument words of each call in place of the platform function; the real function is not resolved.
#include <functional>
#include <span>

#include "runtime/bindings.h"
#include "runtime/native_target.h"

namespace deskflip::runtime {

using BindingOverride = std::function<Word(std::span<const Word> arguments)>;

// Installs `replacement`; an empty function removes the override.
void setBindingOverride(Binding binding, BindingOverride replacement);

// Calls the platform function behind `binding` itself, past any override (an override that records calls and
// passes them on uses it). Resolution, caching and the stack check are those of every call.
Word invokePlatformFunction(Binding binding, std::span<const Word> arguments);

// Makes `target` the binding's resolved function, called exactly as a resolved export would be (stack check
// included); null forgets the cached target, so the next call resolves the binding again.
void setNativeTarget(Binding binding, NativeTarget target);

// Points the binding at another library or function name; the next call resolves it again.
void setBindingInfo(Binding binding, BindingInfo info);

// Names, overrides and cached targets of every binding dropped.
void resetBindings();

}  // namespace deskflip::runtime
