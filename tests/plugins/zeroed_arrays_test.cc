// mxCreateDoubleMatrix_700 hands out zeroed doubles, also where the memory
// of an array just destroyed is used again: small blocks through the C
// library, large ones (from 4 MiB, 524288 doubles) through the block libmx
// keeps, a larger kept block included (the last lengths).
#include <gtest/gtest.h>

#include "array_printer.h"
#include "plugin_harness.h"

namespace {

TEST(ZeroedArrays, NewDoubleArraysAreZeroWhereFilledOnesWereDestroyed) {
  Plugin probe("zeroed_probe");
  ASSERT_TRUE(probe.loaded()) << probe.loadError();
  CallResult result = probe.callWith(1, {"[10 1000 100000 524287 524288 1000000 10000000 600000]"});
  ASSERT_TRUE(result.returned) << result.error.message;
  EXPECT_EQ(formatArray(*result.outputs[0]), "[0 0 0 0 0 0 0 0]");
}

}  // namespace
