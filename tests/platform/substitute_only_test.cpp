// What the Linux substitute does where the real functions leave room: their answers here are the substitute's
// choices, kept stable for the program's tests.
#include <gtest/gtest.h>

#include "platform/substitute/critical_sections.h"
#include "platform/substitute/heaps.h"
#include "platform/substitute/last_error.h"

namespace deskflip::substitute {
namespace {

TEST(SubstituteHeaps, CompactReportsWhatIsCommittedAndNotHandedOut) {
  const Word heap = HeapCreate(0, 65536, 0);
  EXPECT_EQ(HeapCompact(heap, 0), 65536u);
  const Word block = HeapAlloc(heap, 0, 1000);
  EXPECT_LT(HeapCompact(heap, 0), 65536u - 1000);
  EXPECT_EQ(HeapFree(heap, 0, block), 1);
  EXPECT_EQ(HeapDestroy(heap), 1);
}

TEST(SubstituteHeaps, ResizeMovesEveryBlockUnlessToldToStayInPlace) {
  const Word heap = HeapCreate(0, 0, 0);
  const Word block = HeapAlloc(heap, 0, 64);
  const Word moved = HeapReAlloc(heap, 0, block, 32);
  EXPECT_NE(moved, block);  // a caller that keeps the old address is caught by the address checker
  EXPECT_EQ(HeapReAlloc(heap, kHeapReallocInPlaceOnly, moved, 33), 0u);
  EXPECT_EQ(HeapSize(heap, 0, moved), 32u);
  EXPECT_EQ(HeapDestroy(heap), 1);
}

TEST(SubstituteHeaps, FailuresLeaveTheirLastError) {
  const Word heap = HeapCreate(0, 0, 0);
  int notABlock = 0;
  SetLastError(0);
  EXPECT_EQ(HeapFree(heap, 0, reinterpret_cast<Word>(&notABlock)), 0);
  EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
  EXPECT_EQ(HeapDestroy(GetProcessHeap()), 0);
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
  EXPECT_EQ(HeapDestroy(heap), 1);
  EXPECT_EQ(HeapDestroy(heap), 0);  // gone already
  EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
}

TEST(SubstituteCriticalSectionsDeathTest, MisuseStopsWhereItHappens) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  alignas(8) unsigned char block[kCriticalSectionSize] = {};
  const Word section = reinterpret_cast<Word>(block);
  EXPECT_DEATH(EnterCriticalSection(section), "not initialised");
  InitializeCriticalSectionAndSpinCount(section, 0);
  EXPECT_DEATH(LeaveCriticalSection(section), "does not hold it");
  DeleteCriticalSection(section);
  EXPECT_DEATH(EnterCriticalSection(section), "not initialised");
}

}  // namespace
}  // namespace deskflip::substitute
