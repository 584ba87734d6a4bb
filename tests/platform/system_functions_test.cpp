#include <gtest/gtest.h>

#include <bitset>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tests/platform/kernel32_calls.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/substitute/system_environment.h"
#endif

namespace deskflip::testing {
namespace {

using runtime::Binding;

#ifdef _WIN32
using PlatformSystemInfo = SYSTEM_INFO;
#else
using PlatformSystemInfo = substitute::SystemInfo;
#endif

bool variableIsSet(const char* name) {
#ifdef _WIN32
  return GetEnvironmentVariableA(name, nullptr, 0) != 0;
#else
  return std::getenv(name) != nullptr;
#endif
}

TEST(SystemFunctions, SystemInfoDescribesThisMachine) {
  PlatformSystemInfo info{};
  kernel32(Binding::GetSystemInfo, &info);
  EXPECT_EQ(info.dwPageSize, 4096u);
  EXPECT_EQ(info.dwAllocationGranularity, 65536u);
  EXPECT_EQ(reinterpret_cast<Word>(info.lpMinimumApplicationAddress), 0x10000u);
  EXPECT_GT(reinterpret_cast<Word>(info.lpMaximumApplicationAddress), Word{0x7FFE0000});
  EXPECT_EQ(info.dwNumberOfProcessors, std::thread::hardware_concurrency());
  EXPECT_EQ(std::bitset<64>(static_cast<unsigned long long>(info.dwActiveProcessorMask)).count(),
            info.dwNumberOfProcessors);
  EXPECT_EQ(info.wProcessorArchitecture, sizeof(void*) == 4 ? 0 : 9);  // Intel (x86-32 view) or AMD64
  EXPECT_GE(info.wProcessorLevel, 6);
}

TEST(SystemFunctions, EnvironmentVariableIsSetReplacedAndRemovedWithoutAValue) {
  const char* name = "5190372846";
  EXPECT_TRUE(succeeded(kernel32(Binding::SetEnvironmentVariableA, name, "one")));
  EXPECT_TRUE(succeeded(kernel32(Binding::SetEnvironmentVariableA, name, "two")));
  ASSERT_TRUE(variableIsSet(name));
  EXPECT_TRUE(succeeded(kernel32(Binding::SetEnvironmentVariableA, name, nullptr)));
  EXPECT_FALSE(variableIsSet(name));
  EXPECT_TRUE(succeeded(kernel32(Binding::SetEnvironmentVariableA, name, nullptr)));  // already gone: no failure
}

TEST(SystemFunctions, EnvironmentRefusesANameWithAnEqualsSign) {
  EXPECT_FALSE(succeeded(kernel32(Binding::SetEnvironmentVariableA, "A=B", "value")));
  EXPECT_FALSE(variableIsSet("A"));
}

TEST(SystemFunctions, FillMoveAndZeroMemory) {
  char buffer[16] = "abcdefghij";
  kernel32(Binding::RtlMoveMemory, buffer + 2, buffer, 6u);  // overlapping
  EXPECT_STREQ(buffer, "ababcdefij");
  kernel32(Binding::RtlFillMemory, buffer, 3u, 'z');
  EXPECT_STREQ(buffer, "zzzbcdefij");
  kernel32(Binding::RtlZeroMemory, buffer + 4, 2u);
  EXPECT_EQ(std::memcmp(buffer, "zzzb\0\0efij", 10), 0);
  kernel32(Binding::RtlFillMemory, nullptr, 0u, 'x');  // nothing to touch
}

TEST(SystemFunctions, BoundedCopyAlwaysEndsTheTextWithinTheLength) {
  struct Case {
    std::int32_t length;
    const char* expected;
  };
  for (const Case& c : {Case{8, "abcdef"}, Case{4, "abc"}, Case{1, ""}, Case{0, "#######"}}) {
    char buffer[8] = "#######";
    EXPECT_EQ(kernel32(Binding::lstrcpynA, buffer, "abcdef", c.length), reinterpret_cast<Word>(buffer));
    EXPECT_STREQ(buffer, c.expected) << c.length;
  }
}

}  // namespace
}  // namespace deskflip::testing
