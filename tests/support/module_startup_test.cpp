#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/bindings.h"
#include "support/cpu_features.h"
#include "support/environment_marker.h"
#include "support/memory_pool.h"
#include "support/module_globals.h"
#include "support/support_texts.h"
#include "support/system_info_record.h"
#include "tests/support/binding_spy.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/substitute/system_environment.h"
#endif

namespace deskflip::support {
namespace {

using runtime::Binding;
using testing::BindingSpy;

#ifdef _WIN32
using PlatformSystemInfo = SYSTEM_INFO;
constexpr std::uint16_t kOwnArchitecture = sizeof(void*) == 4 ? PROCESSOR_ARCHITECTURE_INTEL
                                                                : PROCESSOR_ARCHITECTURE_AMD64;
#else
using PlatformSystemInfo = substitute::SystemInfo;
constexpr std::uint16_t kOwnArchitecture = substitute::kProcessorArchitectureAmd64;
#endif

// "Quorvel编程模块" in GBK.
constexpr char kMarkerValueGbk[] = "Quorvel\xB1\xE0\xB3\xCC\xC4\xA3\xBF\xE9";

// The variable as the process environment holds it; nullopt when it is not set.
std::optional<std::string> environmentVariable(const char* name) {
#ifdef _WIN32
  // Read back through the wide function: the 8-bit one of some systems cuts a GBK value short.
  wchar_t wideName[64] = {};
  MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 64);
  wchar_t value[256] = {};
  const DWORD length = GetEnvironmentVariableW(wideName, value, 256);
  if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  char gbk[512] = {};
  WideCharToMultiByte(936, 0, value, -1, gbk, sizeof gbk, nullptr, nullptr);
  return std::string(gbk);
#else
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
#endif
}

TEST(SystemInfoRecordLayout, MirrorsTheMembersOfThePlatformRecord) {
  constexpr std::size_t w = sizeof(Word);
  const std::size_t offsets[] = {
      offsetof(SystemInfoRecord, processorArchitecture), offsetof(SystemInfoRecord, reserved),
      offsetof(SystemInfoRecord, pageSize),              offsetof(SystemInfoRecord, minimumApplicationAddress),
      offsetof(SystemInfoRecord, maximumApplicationAddress), offsetof(SystemInfoRecord, activeProcessorMask),
      offsetof(SystemInfoRecord, numberOfProcessors),    offsetof(SystemInfoRecord, processorType),
      offsetof(SystemInfoRecord, allocationGranularity), offsetof(SystemInfoRecord, processorLevel),
      offsetof(SystemInfoRecord, processorRevision)};
  const std::vector<std::size_t> expected =
      w == 4 ? std::vector<std::size_t>{0, 2, 4, 8, 12, 16, 20, 24, 28, 32, 34}
             : std::vector<std::size_t>{0, 2, 4, 8, 16, 24, 32, 36, 40, 44, 46};
  EXPECT_EQ(std::vector<std::size_t>(std::begin(offsets), std::end(offsets)), expected);
  EXPECT_EQ(sizeof(SystemInfoRecord), w == 4 ? 36u : 48u);
  EXPECT_EQ(sizeof(SystemInfoRecord), sizeof(PlatformSystemInfo));
}

TEST(SystemSnapshot, CopiesEveryMemberInOrder) {
  testing::BindingReset reset;
  BindingSpy systemInfo(Binding::GetSystemInfo, [](const BindingSpy::Arguments& arguments) {
    auto* info = reinterpret_cast<PlatformSystemInfo*>(arguments[0]);
    info->wProcessorArchitecture = 0x1101;
    info->wReserved = 0x2202;
    info->dwPageSize = 0x33030303;
    info->lpMinimumApplicationAddress = reinterpret_cast<decltype(info->lpMinimumApplicationAddress)>(0x44040404);
    info->lpMaximumApplicationAddress = reinterpret_cast<decltype(info->lpMaximumApplicationAddress)>(0x55050505);
    info->dwActiveProcessorMask = 0x66060606;
    info->dwNumberOfProcessors = 0x77070707;
    info->dwProcessorType = 0x88080808;
    info->dwAllocationGranularity = 0x99090909;
    info->wProcessorLevel = 0xAA0A;
    info->wProcessorRevision = 0xBB0B;
    return std::optional<Word>(0);
  });
  SystemInfoRecord record{};
  takeSystemSnapshot(record);
  EXPECT_EQ(record.processorArchitecture, 0x1101);
  EXPECT_EQ(record.reserved, 0x2202);
  EXPECT_EQ(record.pageSize, 0x33030303u);
  EXPECT_EQ(record.minimumApplicationAddress, 0x44040404u);
  EXPECT_EQ(record.maximumApplicationAddress, 0x55050505u);
  EXPECT_EQ(record.activeProcessorMask, 0x66060606u);
  EXPECT_EQ(record.numberOfProcessors, 0x77070707u);
  EXPECT_EQ(record.processorType, 0x88080808u);
  EXPECT_EQ(record.allocationGranularity, 0x99090909u);
  EXPECT_EQ(record.processorLevel, 0xAA0A);
  EXPECT_EQ(record.processorRevision, 0xBB0B);
}

TEST(SystemSnapshot, DescribesThisProcessAsItSeesTheSystem) {
  SystemInfoRecord record{};
  takeSystemSnapshot(record);
  EXPECT_EQ(record.processorArchitecture, kOwnArchitecture);  // a 32-bit process gets the 32-bit view
  EXPECT_EQ(record.pageSize, 4096u);
  EXPECT_EQ(record.allocationGranularity, 65536u);
  EXPECT_EQ(record.minimumApplicationAddress, 0x10000u);
  EXPECT_GT(record.maximumApplicationAddress, record.minimumApplicationAddress);
  EXPECT_GE(record.numberOfProcessors, 1u);
  EXPECT_NE(record.activeProcessorMask, 0u);
  EXPECT_NE(record.processorLevel, 0u);
}

class EnvironmentVariables : public ::testing::Test {
 protected:
  static constexpr char kName[] = "8264051937";
  void TearDown() override { setEnvVar(kName, nullptr, false); }
  testing::BindingReset reset_;
};

TEST_F(EnvironmentVariables, SetPutsTheValueAndClearRemovesIt) {
  EXPECT_EQ(setEnvVar(kName, "first", true), 1);
  EXPECT_EQ(environmentVariable(kName), "first");
  EXPECT_EQ(setEnvVar(kName, kMarkerValueGbk, true), 1);
  EXPECT_EQ(environmentVariable(kName), kMarkerValueGbk);

  BindingSpy platform(Binding::SetEnvironmentVariableA);
  EXPECT_EQ(setEnvVar(kName, "ignored when clearing", false), 1);
  EXPECT_EQ(platform.calls()[0][1], 0u);  // no value at all, not an empty one
  EXPECT_EQ(environmentVariable(kName), std::nullopt);
}

TEST_F(EnvironmentVariables, PlatformFailureComesBackAsZero) {
  // A BOOL is 32 bits: the upper half of a 64-bit register is not part of it (a 32-bit word keeps only the 0).
  for (Word failure : {Word{0}, static_cast<Word>(0xFFFFFFFF00000000ull)}) {
    BindingSpy platform(Binding::SetEnvironmentVariableA,
                        [&](const BindingSpy::Arguments&) { return std::optional<Word>(failure); });
    EXPECT_EQ(setEnvVar(kName, "value", true), 0) << failure;
    EXPECT_EQ(setEnvVar(kName, nullptr, false), 0) << failure;
  }
  EXPECT_EQ(environmentVariable(kName), std::nullopt);
}

class ModuleStartup : public ::testing::Test {
 protected:
  void TearDown() override {
    destroyModuleGlobals();
    cpuFeatures = {};
    setEnvVar(kMarkerName, nullptr, false);
  }
  testing::BindingReset reset_;
};

TEST_F(ModuleStartup, GlobalsStartZeroAndUninitialised) {
  constructModuleGlobals();
  ASSERT_NE(systemInfoRecord, nullptr);
  ASSERT_NE(memoryPool, nullptr);
  const auto* bytes = reinterpret_cast<const unsigned char*>(systemInfoRecord);
  for (std::size_t i = 0; i < sizeof(SystemInfoRecord); ++i) EXPECT_EQ(bytes[i], 0) << i;
  const PoolStats stats = memoryPool->stats();
  EXPECT_EQ(stats.initialized, 0u);
  EXPECT_EQ(stats.heapHandle, testing::processHeap());
  EXPECT_EQ(cpuFeatures.sse2, 0u);
}

TEST_F(ModuleStartup, SnapshotMarkerPoolAndFlagsInThatOrder) {
  std::vector<std::string> order;
  auto note = [&](const char* what) {
    return [&order, what](const BindingSpy::Arguments&) {
      order.emplace_back(what);
      return std::optional<Word>();
    };
  };
  constructModuleGlobals();
  BindingSpy systemInfo(Binding::GetSystemInfo, note("system information"));
  BindingSpy marker(Binding::SetEnvironmentVariableA, note("marker"));
  BindingSpy poolHeap(Binding::HeapCreate, note("pool heap"));
  startSupportModule();

  EXPECT_EQ(order, (std::vector<std::string>{"system information", "marker", "pool heap"}));
  EXPECT_EQ(systemInfoRecord->processorArchitecture, kOwnArchitecture);
  EXPECT_EQ(systemInfoRecord->pageSize, 4096u);
  EXPECT_EQ(environmentVariable(kMarkerName), kMarkerValueGbk);
  EXPECT_STREQ(texts::kMarkerValue, kMarkerValueGbk);
  const PoolStats stats = memoryPool->stats();
  EXPECT_EQ(stats.initialized, 1u);
  EXPECT_EQ(stats.regionSize, 20971520);
  EXPECT_EQ(cpuFeatures.sse2, 67108864u);
  EXPECT_EQ(cpuFeatures.avx2Usable, hasAvx2());
  EXPECT_EQ(cpuFeatures.rdseed, hasRdseed());
}

TEST_F(ModuleStartup, MarkerNameIsTenDigits) {
  ASSERT_EQ(std::strlen(kMarkerName), 10u);
  for (const char* c = kMarkerName; *c != '\0'; ++c) EXPECT_TRUE(*c >= '0' && *c <= '9') << kMarkerName;
}

TEST_F(ModuleStartup, FailuresOfTheMarkerAndThePoolDoNotStopTheRest) {
  constructModuleGlobals();
  BindingSpy marker(Binding::SetEnvironmentVariableA,
                    [](const BindingSpy::Arguments&) { return std::optional<Word>(0); });
  BindingSpy poolHeap(Binding::HeapCreate, [](const BindingSpy::Arguments&) { return std::optional<Word>(0); });
  startSupportModule();
  EXPECT_EQ(marker.callCount(), 1u);
  EXPECT_EQ(memoryPool->stats().initialized, 0u);
  EXPECT_EQ(cpuFeatures.sse2, 67108864u);
  EXPECT_NE(systemInfoRecord->pageSize, 0u);
}

TEST_F(ModuleStartup, DestroyReleasesTheRecordAndThePoolsPrivateHeap) {
  constructModuleGlobals();
  startSupportModule();
  const Word poolHeap = memoryPool->stats().heapHandle;
  BindingSpy destroyed(Binding::HeapDestroy);
  destroyModuleGlobals();
  EXPECT_EQ(destroyed.calls(), (std::vector<BindingSpy::Arguments>{{poolHeap}}));
  EXPECT_EQ(systemInfoRecord, nullptr);
  EXPECT_EQ(memoryPool, nullptr);
  destroyModuleGlobals();  // a second run finds nothing to release
}

}  // namespace
}  // namespace deskflip::support
