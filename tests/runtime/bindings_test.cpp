#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/binding_overrides.h"
#include "runtime/bindings.h"
#include "tests/common/binding_fakes.h"

namespace deskflip::runtime {
namespace {

TEST(Bindings, EveryBindingResolvesFromItsLibrary) {
  for (std::size_t i = 0; i < kBindingCount; ++i) {
    const BindingInfo& info = bindingInfo(static_cast<Binding>(i));
    EXPECT_NE(resolveNativeTarget(info.library, info.function), nullptr) << info.library << "!" << info.function;
  }
}

TEST(Bindings, LibraryNamesIgnoreCaseAndTheDllEnding) {
  for (const char* library : {"user32.dll", "USER32.DLL", "User32", "uSeR32.Dll"}) {
    EXPECT_NE(resolveNativeTarget(library, "GetKeyState"), nullptr) << library;
  }
  EXPECT_EQ(resolveNativeTarget("user32.dll", "NoSuchExport"), nullptr);
  EXPECT_EQ(resolveNativeTarget("nosuchlibrary.dll", "GetKeyState"), nullptr);
}

TEST(Bindings, CallPassesArgumentsAndReturnsTheResult) {
  testing::BindingReset reset;
  std::vector<Word> seen;
  testing::ScopedBindingOverride heapSize(Binding::HeapSize, [&](std::span<const Word> arguments) -> Word {
    seen.assign(arguments.begin(), arguments.end());
    return 1234;
  });
  int block = 0;
  EXPECT_EQ(callPlatformFunction(Binding::HeapSize, -1, 0u, &block), 1234u);
  EXPECT_EQ(seen, (std::vector<Word>{static_cast<Word>(-1), 0, reinterpret_cast<Word>(&block)}));
}

#ifdef _WIN32
TEST(Bindings, RealKernel32CallsGoThroughTheBindings) {
  testing::BindingReset reset;
  char copy[8] = {};
  callPlatformFunction(Binding::lstrcpynA, copy, "abcdef", 4);
  EXPECT_STREQ(copy, "abc");

  unsigned char block[6] = {};
  callPlatformFunction(Binding::RtlFillMemory, block, sizeof block - 1, 0x5A);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block)), "ZZZZZ");
}
#endif

}  // namespace
}  // namespace deskflip::runtime
