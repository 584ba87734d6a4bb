#pragma once
// The processor features the support module publishes, read with CPUID and XGETBV.
#include <cstdint>

namespace deskflip::support {

struct CpuidRegisters {
  std::uint32_t eax;
  std::uint32_t ebx;
  std::uint32_t ecx;
  std::uint32_t edx;
};

// Where the feature tests read the processor: the real instructions, or a test's stand-ins.
struct CpuidSource {
  CpuidRegisters (*cpuid)(std::uint32_t leaf, std::uint32_t subleaf);
  // XCR `index`. Faults unless the system has turned XSAVE on (CPUID leaf 1, ECX bit 27).
  std::uint64_t (*xgetbv)(std::uint32_t index);
};

const CpuidSource& processorCpuid();

// 1 when the processor has AVX2 and the system saves the wide registers, else 0.
std::uint32_t hasAvx2(const CpuidSource& source = processorCpuid());
// The CPUID bit itself: 2^26 (SSE2) and 2^20 (SSE4.2) when present, so readers test for non-zero.
std::uint32_t hasSse2(const CpuidSource& source = processorCpuid());
std::uint32_t hasSse42(const CpuidSource& source = processorCpuid());
// 1 or 0.
std::uint32_t hasRdrand(const CpuidSource& source = processorCpuid());
std::uint32_t hasRdseed(const CpuidSource& source = processorCpuid());

// Zero until the module start-up records them, in this order.
struct CpuFeatures {
  std::uint32_t avx2Usable;
  std::uint32_t sse2;
  std::uint32_t sse42;
  std::uint32_t rdrand;
  std::uint32_t rdseed;
};
extern CpuFeatures cpuFeatures;

void recordCpuFeatures(const CpuidSource& source = processorCpuid());

}  // namespace deskflip::support
