#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/platform/kernel32_calls.h"

namespace deskflip::testing {
namespace {

using runtime::Binding;

bool allZero(Word block, std::size_t size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(block);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// A private heap for one test, destroyed at its end.
class OwnHeap {
 public:
  OwnHeap(std::uint32_t options, Word initialSize, Word maximumSize)
      : handle(kernel32(Binding::HeapCreate, options, initialSize, maximumSize)) {}
  ~OwnHeap() {
    if (handle != 0) {
      EXPECT_TRUE(succeeded(kernel32(Binding::HeapDestroy, handle)));
    }
  }
  OwnHeap(const OwnHeap&) = delete;
  OwnHeap& operator=(const OwnHeap&) = delete;

  Word alloc(Word size, std::uint32_t flags = 0) const { return kernel32(Binding::HeapAlloc, handle, flags, size); }
  Word realloc(Word block, Word size, std::uint32_t flags = 0) const {
    return kernel32(Binding::HeapReAlloc, handle, flags, block, size);
  }
  bool free(Word block) const { return succeeded(kernel32(Binding::HeapFree, handle, 0u, block)); }
  Word size(Word block) const { return kernel32(Binding::HeapSize, handle, 0u, block); }

  const Word handle;
};

TEST(HeapFunctions, ZeroMemoryFillsNewBlocksAndTheGrowthOfResizedOnes) {
  OwnHeap heap(kHeapNoSerialize, 0, 0);
  ASSERT_NE(heap.handle, 0u);
  const Word block = heap.alloc(300, kHeapZeroMemory | kHeapNoSerialize);
  ASSERT_NE(block, 0u);
  EXPECT_TRUE(allZero(block, 300));
  EXPECT_EQ(heap.size(block), 300u);

  std::memset(reinterpret_cast<void*>(block), 0x77, 300);
  const Word grown = heap.realloc(block, 5000, kHeapZeroMemory);
  ASSERT_NE(grown, 0u);
  EXPECT_EQ(heap.size(grown), 5000u);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(grown)[299], 0x77);
  EXPECT_TRUE(allZero(grown + 300, 5000 - 300));
  EXPECT_TRUE(heap.free(grown));
}

TEST(HeapFunctions, HeapWithoutMaximumGrowsAsNeeded) {
  OwnHeap heap(0, 65536, 0);
  std::vector<Word> blocks;
  for (int i = 0; i < 6; ++i) {
    blocks.push_back(heap.alloc(4u << 20));
    ASSERT_NE(blocks.back(), 0u) << i;
  }
  for (Word block : blocks) EXPECT_TRUE(heap.free(block));
}

TEST(HeapFunctions, FixedMaximumRefusesWhatGoesBeyondIt) {
  OwnHeap heap(0, 0, 65536);
  ASSERT_NE(heap.handle, 0u);
  EXPECT_EQ(heap.alloc(1u << 20), 0u);

  std::vector<Word> blocks;
  while (blocks.size() < 1000) {
    const Word block = heap.alloc(1024);
    if (block == 0) break;
    blocks.push_back(block);
  }
  EXPECT_GT(blocks.size(), 16u);
  EXPECT_LE(blocks.size(), 64u);  // never more than the maximum holds

  // A refused resize leaves the block where and as it was.
  const Word kept = blocks.front();
  std::memset(reinterpret_cast<void*>(kept), 0x3C, 1024);
  EXPECT_EQ(heap.realloc(kept, 1u << 20), 0u);
  EXPECT_EQ(heap.size(kept), 1024u);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(kept)[1023], 0x3C);
  for (Word block : blocks) EXPECT_TRUE(heap.free(block));
}

TEST(HeapFunctions, ShrinkingInPlaceKeepsTheAddress) {
  OwnHeap heap(0, 0, 0);
  const Word block = heap.alloc(4096);
  EXPECT_EQ(heap.realloc(block, 100, kHeapReallocInPlaceOnly), block);
  EXPECT_EQ(heap.size(block), 100u);
  EXPECT_TRUE(heap.free(block));
}

TEST(HeapFunctions, BlocksOfAnotherHeapAreRefused) {
  OwnHeap first(0, 0, 0);
  OwnHeap second(0, 0, 0);
  const Word block = first.alloc(64);
  EXPECT_FALSE(second.free(block));
  EXPECT_EQ(second.size(block), kSizeFailure);
  EXPECT_EQ(second.realloc(block, 128), 0u);
  EXPECT_EQ(first.size(block), 64u);
  EXPECT_TRUE(first.free(block));
  EXPECT_FALSE(first.free(block));  // freed once already
}

TEST(HeapFunctions, ProcessHeapIsStableAndCannotBeDestroyed) {
  const Word processHeap = kernel32(Binding::GetProcessHeap);
  ASSERT_NE(processHeap, 0u);
  EXPECT_EQ(kernel32(Binding::GetProcessHeap), processHeap);
  EXPECT_FALSE(succeeded(kernel32(Binding::HeapDestroy, processHeap)));
  const Word block = kernel32(Binding::HeapAlloc, processHeap, kHeapZeroMemory, 32u);
  EXPECT_TRUE(allZero(block, 32));
  EXPECT_TRUE(succeeded(kernel32(Binding::HeapFree, processHeap, 0u, block)));
}

TEST(HeapFunctions, DestroyTakesEveryBlockWithIt) {
  const Word heap = kernel32(Binding::HeapCreate, 0u, 0u, 0u);
  for (int i = 0; i < 10; ++i) ASSERT_NE(kernel32(Binding::HeapAlloc, heap, 0u, 1000u), 0u);
  EXPECT_TRUE(succeeded(kernel32(Binding::HeapDestroy, heap)));
}

}  // namespace
}  // namespace deskflip::testing
