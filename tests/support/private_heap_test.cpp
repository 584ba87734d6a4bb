#include "support/private_heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/bindings.h"
#include "tests/support/binding_spy.h"

namespace deskflip::support {
namespace {

using runtime::Binding;
using testing::BindingSpy;
using testing::processHeap;

constexpr Word kSizeFailure = ~Word{0};

bool allZero(Word block, std::size_t size) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(block);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

class PrivateHeapTest : public ::testing::Test {
 protected:
  testing::BindingReset reset_;
};

TEST_F(PrivateHeapTest, NewObjectRefersToTheProcessHeapAndNeverDestroysIt) {
  PrivateHeap heap;
  EXPECT_EQ(heap.handle(), processHeap());
  BindingSpy destroyed(Binding::HeapDestroy);
  EXPECT_EQ(heap.destroy(), 0);
  EXPECT_EQ(heap.destroy(), 0);
  EXPECT_EQ(destroyed.callCount(), 0u);
  EXPECT_EQ(heap.handle(), processHeap());

  const Word block = heap.alloc(16);
  ASSERT_NE(block, 0u);
  EXPECT_TRUE(allZero(block, 16));
  EXPECT_EQ(runtime::callPlatformFunction(Binding::HeapSize, processHeap(), 0u, block), 16u);
  EXPECT_EQ(heap.free(block), 1);
}

TEST_F(PrivateHeapTest, CreateWithArgumentsOmittedMakesAGrowableHeapOfItsOwn) {
  BindingSpy created(Binding::HeapCreate);
  PrivateHeap heap;
  ASSERT_EQ(heap.create(), 1);
  EXPECT_EQ(created.calls(), (std::vector<BindingSpy::Arguments>{{0, 0, 0}}));
  EXPECT_NE(heap.handle(), processHeap());

  // Growable: far beyond the initial commit, in blocks larger than a fixed heap would hand out.
  std::vector<Word> blocks;
  for (int i = 0; i < 8; ++i) {
    blocks.push_back(heap.alloc(4u << 20));
    ASSERT_NE(blocks.back(), 0u) << i;
  }
  EXPECT_EQ(heap.size(blocks[0]), Word{4u << 20});
  for (Word block : blocks) EXPECT_EQ(heap.free(block), 1);

  EXPECT_EQ(heap.destroy(), 1);
  EXPECT_EQ(heap.handle(), 0u);
  EXPECT_EQ(heap.destroy(), 0);
}

TEST_F(PrivateHeapTest, CreateDestroysTheOwnedHeapFirstAndLeavesTheProcessHeapAlone) {
  BindingSpy destroyed(Binding::HeapDestroy);
  PrivateHeap heap;
  ASSERT_EQ(heap.create(), 1);
  EXPECT_EQ(destroyed.callCount(), 0u);  // the process heap it referred to stays

  const Word first = heap.handle();
  ASSERT_EQ(heap.create(1, 65536, 0), 1);
  EXPECT_EQ(destroyed.calls(), (std::vector<BindingSpy::Arguments>{{first}}));
  EXPECT_NE(heap.handle(), 0u);
  EXPECT_EQ(heap.destroy(), 1);
}

TEST_F(PrivateHeapTest, FailedCreateLeavesNoHeapAndTheOldOneDestroyed) {
  PrivateHeap heap;
  ASSERT_EQ(heap.create(), 1);
  const Word owned = heap.handle();

  BindingSpy destroyed(Binding::HeapDestroy);
  BindingSpy created(Binding::HeapCreate, [](const BindingSpy::Arguments&) { return Word{0}; });
  EXPECT_EQ(heap.create(), 0);
  EXPECT_EQ(destroyed.calls(), (std::vector<BindingSpy::Arguments>{{owned}}));
  EXPECT_EQ(heap.handle(), 0u);

  testing::ForbiddenBindings untouched({Binding::HeapAlloc, Binding::HeapDestroy, Binding::GetProcessHeap});
  EXPECT_EQ(heap.alloc(16), 0u);
  EXPECT_EQ(heap.destroy(), 0);
}

TEST_F(PrivateHeapTest, WithoutAHeapOrABlockNothingReachesThePlatform) {
  PrivateHeap withoutHeap;
  {
    BindingSpy created(Binding::HeapCreate, [](const BindingSpy::Arguments&) { return Word{0}; });
    ASSERT_EQ(withoutHeap.create(), 0);
  }
  PrivateHeap withHeap;
  ASSERT_EQ(withHeap.create(), 1);
  const Word blockOfOther = withHeap.alloc(8);

  {
    testing::ForbiddenBindings untouched({Binding::GetProcessHeap, Binding::HeapAlloc, Binding::HeapReAlloc,
                                          Binding::HeapFree, Binding::HeapCompact, Binding::HeapSize,
                                          Binding::HeapDestroy});
    EXPECT_EQ(withoutHeap.alloc(16), 0u);
    EXPECT_EQ(withoutHeap.realloc(blockOfOther, std::nullopt, 32), 0u);
    EXPECT_EQ(withoutHeap.free(blockOfOther), 0);
    EXPECT_EQ(withoutHeap.compact(), 0u);
    EXPECT_EQ(withoutHeap.size(blockOfOther), kSizeFailure);
    EXPECT_EQ(withoutHeap.destroy(), 0);

    // A block that counts as none: zero, or negative read as a signed integer.
    for (Word none : {Word{0}, static_cast<Word>(-1), static_cast<Word>(INTPTR_MIN)}) {
      EXPECT_EQ(withHeap.realloc(none, std::nullopt, 32), 0u) << none;
      EXPECT_EQ(withHeap.free(none), 0) << none;
      EXPECT_EQ(withHeap.size(none), kSizeFailure) << none;
    }
  }
  EXPECT_EQ(withHeap.destroy(), 1);
}

TEST_F(PrivateHeapTest, FlagsDefaultToZeroMemoryExceptForFree) {
  PrivateHeap heap;
  ASSERT_EQ(heap.create(), 1);
  BindingSpy allocs(Binding::HeapAlloc);
  BindingSpy reallocs(Binding::HeapReAlloc);
  BindingSpy frees(Binding::HeapFree);
  BindingSpy compacts(Binding::HeapCompact);
  BindingSpy sizes(Binding::HeapSize);
  const Word h = heap.handle();

  const Word zeroed = heap.alloc(16);
  const Word given = heap.alloc(16, 0);
  const Word noSerialize = heap.alloc(16, HEAP_NO_SERIALIZE | HEAP_ZERO_MEMORY);
  const Word grown = heap.realloc(zeroed, std::nullopt, 64);
  const Word moved = heap.realloc(given, 0, 64);
  heap.compact();
  heap.size(grown);
  EXPECT_EQ(heap.free(grown), 1);
  EXPECT_EQ(heap.free(moved, HEAP_NO_SERIALIZE), 1);
  EXPECT_EQ(heap.free(noSerialize), 1);

  EXPECT_EQ(allocs.calls(), (std::vector<BindingSpy::Arguments>{{h, 8, 16}, {h, 0, 16}, {h, 9, 16}}));
  EXPECT_EQ(reallocs.calls(), (std::vector<BindingSpy::Arguments>{{h, 8, zeroed, 64}, {h, 0, given, 64}}));
  EXPECT_EQ(frees.calls(), (std::vector<BindingSpy::Arguments>{{h, 0, grown}, {h, 1, moved}, {h, 0, noSerialize}}));
  EXPECT_EQ(compacts.calls(), (std::vector<BindingSpy::Arguments>{{h, 0}}));
  EXPECT_EQ(sizes.calls(), (std::vector<BindingSpy::Arguments>{{h, 0, grown}}));
  EXPECT_EQ(heap.destroy(), 1);
}

TEST_F(PrivateHeapTest, ReallocKeepsTheContentsAndZeroFillsTheGrowth) {
  PrivateHeap heap;
  ASSERT_EQ(heap.create(), 1);
  const Word block = heap.alloc(8, 0);
  std::memcpy(reinterpret_cast<void*>(block), "deskflip", 8);
  const Word grown = heap.realloc(block, std::nullopt, 4096);
  ASSERT_NE(grown, 0u);
  EXPECT_EQ(std::memcmp(reinterpret_cast<void*>(grown), "deskflip", 8), 0);
  EXPECT_TRUE(allZero(grown + 8, 4096 - 8));
  EXPECT_EQ(heap.size(grown), 4096u);
  EXPECT_EQ(heap.destroy(), 1);
}

TEST_F(PrivateHeapTest, FailedReallocLeavesTheBlockAsItWas) {
  PrivateHeap heap;
  ASSERT_EQ(heap.create(0, 65536, 65536), 1);  // a fixed heap: it refuses to grow
  const Word block = heap.alloc(100, 0);
  ASSERT_NE(block, 0u);
  std::memset(reinterpret_cast<void*>(block), 0x5A, 100);

  EXPECT_EQ(heap.realloc(block, std::nullopt, 1u << 20), 0u);
  EXPECT_EQ(heap.size(block), 100u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(block);
  EXPECT_EQ(bytes[0], 0x5A);
  EXPECT_EQ(bytes[99], 0x5A);
  EXPECT_EQ(heap.free(block), 1);
  EXPECT_EQ(heap.destroy(), 1);
}

TEST_F(PrivateHeapTest, BlocksOfAnotherHeapAreRefused) {
  PrivateHeap first;
  PrivateHeap second;
  ASSERT_EQ(first.create(), 1);
  ASSERT_EQ(second.create(), 1);
  const Word block = first.alloc(32);
  EXPECT_EQ(second.free(block), 0);
  EXPECT_EQ(second.size(block), kSizeFailure);
  EXPECT_EQ(first.size(block), 32u);
  EXPECT_EQ(first.free(block), 1);
  EXPECT_EQ(second.destroy(), 1);
  EXPECT_EQ(first.destroy(), 1);
}

TEST_F(PrivateHeapTest, DestroyAsksForTheProcessHeapEveryTime) {
  BindingSpy asked(Binding::GetProcessHeap);
  PrivateHeap heap;  // attach: one question
  heap.destroy();
  heap.destroy();
  ASSERT_EQ(heap.create(), 1);  // destroy of the process-heap reference: one more
  EXPECT_EQ(heap.destroy(), 1);
  EXPECT_EQ(heap.destroy(), 0);  // holds none: nothing asked
  EXPECT_EQ(asked.callCount(), 5u);
}

TEST_F(PrivateHeapTest, FailedHeapDestroyStillForgetsTheHeap) {
  PrivateHeap heap;
  ASSERT_EQ(heap.create(), 1);
  BindingSpy* self = nullptr;
  BindingSpy destroyed(Binding::HeapDestroy, [&](const BindingSpy::Arguments& arguments) {
    self->callReal(arguments);  // the heap really goes, so that nothing leaks
    return std::optional<Word>(0);
  });
  self = &destroyed;
  EXPECT_EQ(heap.destroy(), 0);
  EXPECT_EQ(heap.handle(), 0u);
}

TEST_F(PrivateHeapTest, AttachAdoptsAHeapAndReturnsToTheProcessHeap) {
  const Word adopted = runtime::callPlatformFunction(Binding::HeapCreate, 0u, 0u, 0u);
  ASSERT_NE(adopted, 0u);
  PrivateHeap heap;
  heap.attach(adopted);
  EXPECT_EQ(heap.handle(), adopted);

  BindingSpy destroyed(Binding::HeapDestroy);
  heap.attach();
  EXPECT_EQ(destroyed.calls(), (std::vector<BindingSpy::Arguments>{{adopted}}));
  EXPECT_EQ(heap.handle(), processHeap());
  heap.attach(0);
  EXPECT_EQ(heap.handle(), processHeap());
  EXPECT_EQ(destroyed.callCount(), 1u);
}

TEST_F(PrivateHeapTest, CopyHoldsTheSameHeap) {
  PrivateHeap heap;
  ASSERT_EQ(heap.create(), 1);
  const std::unique_ptr<PrivateHeap> copy = heap.copy();
  EXPECT_EQ(copy->handle(), heap.handle());
  const Word block = copy->alloc(24);
  EXPECT_EQ(heap.size(block), 24u);
  EXPECT_EQ(heap.free(block), 1);
  EXPECT_EQ(copy->destroy(), 1);  // one of the two destroys it; the other is not used again
}

TEST_F(PrivateHeapTest, CompactAndSizeReturnThePlatformsAnswerUnchanged) {
  PrivateHeap heap;
  ASSERT_EQ(heap.create(), 1);
  const Word block = heap.alloc(4);
  {
    // Wider than 32 bits where a word is: nothing is cut off on the way back.
    const Word answer = static_cast<Word>(0x7654321087654321u);
    BindingSpy compacted(Binding::HeapCompact, [&](const BindingSpy::Arguments&) { return answer; });
    BindingSpy sized(Binding::HeapSize, [&](const BindingSpy::Arguments&) { return answer; });
    EXPECT_EQ(heap.compact(HEAP_NO_SERIALIZE), answer);
    EXPECT_EQ(heap.size(block), answer);
  }
  EXPECT_EQ(heap.destroy(), 1);
}

}  // namespace
}  // namespace deskflip::support
