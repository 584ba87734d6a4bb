#include "support/cpu_features.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace deskflip::support {
namespace {

constexpr std::uint32_t bit(int position) { return std::uint32_t{1} << position; }

// A processor described by the registers it answers; XGETBV is counted, since it faults without OSXSAVE.
struct FakeProcessor {
  CpuidRegisters leaf1{};
  CpuidRegisters leaf7{};
  std::uint64_t xcr0 = 0;
};

FakeProcessor fake;
std::vector<std::pair<std::uint32_t, std::uint32_t>> leavesRead;
std::vector<std::uint32_t> xgetbvIndexes;

CpuidRegisters fakeCpuid(std::uint32_t leaf, std::uint32_t subleaf) {
  leavesRead.emplace_back(leaf, subleaf);
  if (leaf == 1) return fake.leaf1;
  if (leaf == 7) return fake.leaf7;
  return {};
}

std::uint64_t fakeXgetbv(std::uint32_t index) {
  xgetbvIndexes.push_back(index);
  return fake.xcr0;
}

constexpr CpuidSource kFake{&fakeCpuid, &fakeXgetbv};

constexpr std::uint32_t kOsxsave = bit(27);
constexpr std::uint32_t kAvx = bit(28);
constexpr std::uint32_t kAvx2 = bit(5);
constexpr std::uint64_t kSseAvxState = 0b110;

class CpuFeaturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = {};
    leavesRead.clear();
    xgetbvIndexes.clear();
  }
  void TearDown() override { cpuFeatures = {}; }
};

TEST_F(CpuFeaturesTest, Avx2NeedsTheProcessorAndTheSystemSavingItsRegisters) {
  struct Case {
    const char* name;
    std::uint32_t leaf1Ecx;
    std::uint32_t leaf7Ebx;
    std::uint64_t xcr0;
    std::uint32_t usable;
    std::size_t xgetbvCalls;
  };
  const Case cases[] = {
      {"everything there", kOsxsave | kAvx, kAvx2, kSseAvxState | 1, 1, 1},
      {"no OSXSAVE: XGETBV would fault", kAvx, kAvx2, kSseAvxState, 0, 0},
      {"no AVX", kOsxsave, kAvx2, kSseAvxState, 0, 0},
      {"no AVX2", kOsxsave | kAvx, 0, kSseAvxState, 0, 0},
      {"AVX state not saved", kOsxsave | kAvx, kAvx2, 0b011, 0, 1},
      {"SSE state not saved", kOsxsave | kAvx, kAvx2, 0b101, 0, 1},
  };
  for (const Case& c : cases) {
    SetUp();
    fake.leaf1.ecx = c.leaf1Ecx;
    fake.leaf7.ebx = c.leaf7Ebx;
    fake.xcr0 = c.xcr0;
    EXPECT_EQ(hasAvx2(kFake), c.usable) << c.name;
    EXPECT_EQ(xgetbvIndexes.size(), c.xgetbvCalls) << c.name;
    for (std::uint32_t index : xgetbvIndexes) EXPECT_EQ(index, 0u) << c.name;
  }
}

TEST_F(CpuFeaturesTest, FlagsHoldTheirBitOrOne) {
  fake.leaf1 = {0, 0, bit(20) | bit(30) | kOsxsave | kAvx, bit(26)};
  fake.leaf7 = {0, kAvx2 | bit(18), 0, 0};
  fake.xcr0 = kSseAvxState;
  recordCpuFeatures(kFake);
  EXPECT_EQ(cpuFeatures.avx2Usable, 1u);
  EXPECT_EQ(cpuFeatures.sse2, 67108864u);
  EXPECT_EQ(cpuFeatures.sse42, 1048576u);
  EXPECT_EQ(cpuFeatures.rdrand, 1u);
  EXPECT_EQ(cpuFeatures.rdseed, 1u);
  // Leaf 7 is read at sub-leaf 0, and no leaf other than 1 and 7 is asked for (no highest-leaf query).
  for (const auto& [leaf, subleaf] : leavesRead) {
    EXPECT_TRUE(leaf == 1 || (leaf == 7 && subleaf == 0)) << leaf << "." << subleaf;
  }

  SetUp();
  fake.leaf1 = {~0u, ~0u, ~(bit(20) | bit(30) | kOsxsave), ~bit(26)};
  fake.leaf7 = {~0u, ~(kAvx2 | bit(18)), ~0u, ~0u};
  recordCpuFeatures(kFake);
  EXPECT_EQ(cpuFeatures.avx2Usable, 0u);
  EXPECT_EQ(cpuFeatures.sse2, 0u);
  EXPECT_EQ(cpuFeatures.sse42, 0u);
  EXPECT_EQ(cpuFeatures.rdrand, 0u);
  EXPECT_EQ(cpuFeatures.rdseed, 0u);
  EXPECT_TRUE(xgetbvIndexes.empty());
}

TEST_F(CpuFeaturesTest, ThisProcessorAgreesWithTheCompilersOwnDetection) {
  __builtin_cpu_init();
  EXPECT_EQ(hasSse2(), 67108864u);  // every x86-64 processor has SSE2
  EXPECT_EQ(hasSse42(), __builtin_cpu_supports("sse4.2") ? 1048576u : 0u);
  EXPECT_EQ(hasAvx2(), __builtin_cpu_supports("avx2") ? 1u : 0u);
  EXPECT_LE(hasRdrand(), 1u);
  EXPECT_LE(hasRdseed(), 1u);
}

}  // namespace
}  // namespace deskflip::support
