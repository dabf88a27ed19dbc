// libmx hands the block of the last large array freed to the next large
// array that fits, cleared where the array must be zero. The sanitizer
// build runs that reuse as the release build does, and still catches a use
// of the kept block after its array was freed and a read past the data of
// an array placed in a larger kept block.
#include <gtest/gtest.h>

#include <cstring>

#include "mx_array.h"

namespace {

constexpr size_t kMiB = size_t(1) << 20;

#if defined(__SANITIZE_ADDRESS__)
#define EXPECT_POISONED(address) EXPECT_DEATH((void)*static_cast<volatile char *>(address), "use-after-poison")
#else
#define EXPECT_POISONED(address) (void)(address)
#endif

TEST(ArrayMemoryDeathTest, KeptBlockIsHandedOutClearedAndPoisonedBeyondTheData) {
  auto *first = static_cast<char *>(standin::allocateData(8 * kMiB));
  std::memset(first, 1, 8 * kMiB);
  standin::freeData(first);
  EXPECT_POISONED(first + 100);

  auto *second = static_cast<char *>(standin::allocateZeroedData(5 * kMiB));
  ASSERT_EQ(second, first) << "the kept block was not handed out again";
  EXPECT_EQ(second[0], 0);
  EXPECT_EQ(second[5 * kMiB - 1], 0);
  EXPECT_POISONED(second + 5 * kMiB);
  standin::freeData(second);
}

}  // namespace
