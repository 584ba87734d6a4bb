#include "support/cpu_features.h"

#include <cpuid.h>

namespace deskflip::support {

CpuFeatures cpuFeatures{};

namespace {

constexpr std::uint32_t bit(int position) { return std::uint32_t{1} << position; }

// Leaf 1.
constexpr std::uint32_t kSse2Edx = bit(26);
constexpr std::uint32_t kSse42Ecx = bit(20);
constexpr std::uint32_t kOsxsaveEcx = bit(27);
constexpr std::uint32_t kAvxEcx = bit(28);
constexpr std::uint32_t kRdrandEcx = bit(30);
// Leaf 7, sub-leaf 0.
constexpr std::uint32_t kAvx2Ebx = bit(5);
constexpr std::uint32_t kRdseedEbx = bit(18);
// XCR0: the system saves the SSE and the AVX register state.
constexpr std::uint64_t kSseAndAvxState = bit(1) | bit(2);

// Any leaf is read as asked: no query of the highest supported leaf comes first.
CpuidRegisters processorCpuidLeaf(std::uint32_t leaf, std::uint32_t subleaf) {
  CpuidRegisters r{};
  __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
  return r;
}

std::uint64_t processorXgetbv(std::uint32_t index) {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(index));
  return (std::uint64_t{high} << 32) | low;
}

bool allSet(std::uint64_t value, std::uint64_t mask) { return (value & mask) == mask; }

}  // namespace

const CpuidSource& processorCpuid() {
  static constexpr CpuidSource kProcessor{&processorCpuidLeaf, &processorXgetbv};
  return kProcessor;
}

std::uint32_t hasAvx2(const CpuidSource& source) {
  if (!allSet(source.cpuid(1, 0).ecx, kOsxsaveEcx | kAvxEcx)) return 0;
  if (!allSet(source.cpuid(7, 0).ebx, kAvx2Ebx)) return 0;
  return allSet(source.xgetbv(0), kSseAndAvxState) ? 1 : 0;
}

std::uint32_t hasSse2(const CpuidSource& source) { return source.cpuid(1, 0).edx & kSse2Edx; }

std::uint32_t hasSse42(const CpuidSource& source) { return source.cpuid(1, 0).ecx & kSse42Ecx; }

std::uint32_t hasRdrand(const CpuidSource& source) { return (source.cpuid(1, 0).ecx & kRdrandEcx) != 0 ? 1 : 0; }

std::uint32_t hasRdseed(const CpuidSource& source) { return (source.cpuid(7, 0).ebx & kRdseedEbx) != 0 ? 1 : 0; }

void recordCpuFeatures(const CpuidSource& source) {
  cpuFeatures.avx2Usable = hasAvx2(source);
  cpuFeatures.sse2 = hasSse2(source);
  cpuFeatures.sse42 = hasSse42(source);
  cpuFeatures.rdrand = hasRdrand(source);
  cpuFeatures.rdseed = hasRdseed(source);
}

}  // namespace deskflip::support
