// multiplyRow on its own, at lengths on both sides of the one from which
// it streams its results past the caches, and with rows that start at every
// alignment a double can have within a 16-byte line.
#include <gtest/gtest.h>

#include <vector>

#include "multiply_row.h"

namespace {

struct RowCase {
  int n;
  int inOffset;   // doubles from a 16-byte boundary
  int outOffset;
};

TEST(MultiplyRow, WritesEachProductAndNothingElse) {
  const int streamed = 1 << 22;
  const RowCase cases[] = {
      {0, 0, 0},        {1, 0, 1},        {7, 1, 0},           {1000, 1, 1},
      {streamed - 1, 0, 1}, {streamed, 1, 0}, {streamed + 3, 0, 0}, {streamed + 3, 1, 1},
  };
  const double guard = -7.25;
  for (const RowCase &c : cases) {
    SCOPED_TRACE("n = " + std::to_string(c.n) + ", offsets " + std::to_string(c.inOffset) + "/" +
                 std::to_string(c.outOffset));
    std::vector<double> in(c.n + 1), out(c.n + 2, guard);
    for (int i = 0; i < c.n; ++i) in[c.inOffset + i] = 0.5 * i - 3;
    multiplyRow(-1.5, in.data() + c.inOffset, out.data() + c.outOffset, c.n);
    int wrong = 0;
    for (int i = 0; i < c.n; ++i) wrong += out[c.outOffset + i] != -1.5 * (0.5 * i - 3);
    EXPECT_EQ(wrong, 0);
    if (c.outOffset == 1) {
      EXPECT_EQ(out[0], guard);
    }
    EXPECT_EQ(out[c.outOffset + c.n], guard);
  }
}

}  // namespace
