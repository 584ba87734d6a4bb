#include <gtest/gtest.h>

#include <cstring>

#include "runtime/memory.h"

namespace deskflip::runtime {
namespace {

constexpr char kConstantText[] = "constant";

struct ConstantArray {
  ArrayHeader header;
  std::int32_t values[3];
};
constexpr ConstantArray kConstantArray{{3}, {7, 8, 9}};

TEST(Memory, AllocatedBlocksAreZeroFilled) {
  auto* block = static_cast<unsigned char*>(allocateMemory(64));
  for (int i = 0; i < 64; ++i) ASSERT_EQ(block[i], 0) << i;
  freeMemory(block);
}

TEST(Memory, FreeIgnoresNoneAndConstantData) {
  freeMemory(nullptr);
  freeMemory(const_cast<char*>(kConstantText));
  EXPECT_STREQ(kConstantText, "constant");
}

TEST(Memory, ReallocateOfNoneAllocates) {
  void* block = reallocateMemory(nullptr, 16);
  ASSERT_NE(block, nullptr);
  freeMemory(block);
}

TEST(Memory, ReallocateOfConstantDataCopiesIt) {
  auto* copy = static_cast<char*>(reallocateMemory(const_cast<char*>(kConstantText), 32));
  ASSERT_NE(copy, kConstantText);
  EXPECT_STREQ(copy, "constant");
  std::strcpy(copy, "changed");  // the copy is the caller's own
  EXPECT_STREQ(kConstantText, "constant");
  freeMemory(copy);
}

TEST(Memory, ReallocateKeepsContentsWhileGrowingAndShrinking) {
  auto* block = static_cast<char*>(allocateMemory(8));
  std::memcpy(block, "1234567", 8);
  block = static_cast<char*>(reallocateMemory(block, 4096));
  EXPECT_STREQ(block, "1234567");
  block = static_cast<char*>(reallocateMemory(block, 4));
  EXPECT_EQ(std::memcmp(block, "1234", 4), 0);
  freeMemory(block);
}

TEST(Memory, ArrayInConstantDataIsCopiedBeforeAChange) {
  void* list = const_cast<ConstantArray*>(&kConstantArray);
  makeArrayPrivate(sizeof(std::int32_t), list);
  ASSERT_NE(list, &kConstantArray);
  auto* copy = static_cast<ConstantArray*>(list);
  EXPECT_EQ(copy->header.count, 3);
  EXPECT_EQ(copy->values[2], 9);

  void* already = list;
  makeArrayPrivate(sizeof(std::int32_t), list);  // a private array stays where it is
  EXPECT_EQ(list, already);
  freeMemory(list);
}

}  // namespace
}  // namespace deskflip::runtime
