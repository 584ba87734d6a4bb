#pragma once
// The module's marker in its own process environment, and the setter it goes through.
#include <cstdint>

namespace deskflip::support {

// The marker's name: ten decimal digits, the same in every run. Its value is texts::kMarkerValue.
inline constexpr char kMarkerName[] = "4718305926";

// Sets `name` to `value` (GBK) in the process environment, or removes it when `set` is false (the platform then
// gets no value at all). 1 when the platform reports success, else 0.
std::int32_t setEnvVar(const char* name, const char* value, bool set);

}  // namespace deskflip::support
