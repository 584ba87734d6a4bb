#pragma once
// The status with which a fatal run-time error ends the process, as a death test sees it.
#include <gtest/gtest.h>

namespace deskflip::testing {

inline ::testing::ExitedWithCode fatalExit() {
#ifdef _WIN32
  return ::testing::ExitedWithCode(-1);  // ExitProcess(-1): the exit code is 0xFFFFFFFF
#else
  return ::testing::ExitedWithCode(255);
#endif
}

}  // namespace deskflip::testing
