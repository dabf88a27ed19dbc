// quenvor loaded from its built file: its four checks in order, the refusals
// that follow them, and the scaled row it hands back.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "mx_array.h"
#include "plugin_harness.h"

namespace {

const char kNrhs[] = "Tessaly:quenvor:nrhs";
const char kNlhs[] = "Tessaly:quenvor:nlhs";
const char kNotScalar[] = "Tessaly:quenvor:notScalar";
const char kNotRow[] = "Tessaly:quenvor:notRowVector";

class QuenvorTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(quenvor.loaded()) << quenvor.loadError(); }

  CallResult callWith(int nlhs, const std::vector<std::string> &literals) {
    return quenvor.callWith(nlhs, literals);
  }

  Plugin quenvor{"quenvor"};
};

struct ErrorCase {
  int nlhs;
  std::vector<std::string> inputs;
  const char *identifier;
  const char *message;
};

// Each row breaks the rule of its error and every later one, so a check run
// out of order would report a later error.
TEST_F(QuenvorTest, ChecksRunInOrderAndReportOneError) {
  const std::string column = "[1;2;3]";
  const ErrorCase cases[] = {
      {1, {}, kNrhs, "Two inputs required."},
      {0, {"int8(1)"}, kNrhs, "Two inputs required."},
      {2, {"int8(1)", column, column}, kNrhs, "Two inputs required."},
      {0, {"int8(1)", column}, kNlhs, "One output required."},
      {2, {"int8(1)", column}, kNlhs, "One output required."},
      {-1, {"2", "[1 2]"}, kNlhs, "One output required."},
      {1, {"int8(1)", column}, kNotScalar, "Input multiplier must be a scalar."},
      {1, {"1+2i", column}, kNotScalar, "Input multiplier must be a scalar."},
      {1, {"[]", column}, kNotScalar, "Input multiplier must be a scalar."},
      {1, {"[2 3]", column}, kNotScalar, "Input multiplier must be a scalar."},
      {1, {"single(2)", column}, kNotScalar, "Input multiplier must be a scalar."},
      {1, {"2", column}, kNotRow, "Input must be a row vector."},
      {1, {"2", "[]"}, kNotRow, "Input must be a row vector."},
      {1, {"2", "[1 2; 3 4]"}, kNotRow, "Input must be a row vector."},
      {1, {"sparse(2)", "int8([1 2])"}, "Tessaly:quenvor:sparseMultiplier",
       "Input multiplier must be a full scalar, not a sparse one."},
      {1, {"2", "int8([1 2])"}, "Tessaly:quenvor:notDouble", "Input row vector must be of class double."},
      {1, {"2", "'abc'"}, "Tessaly:quenvor:notDouble", "Input row vector must be of class double."},
      {1, {"2", "sparse([1 0 3])"}, "Tessaly:quenvor:sparseRow", "Input row vector must be full, not sparse."},
  };
  for (const ErrorCase &c : cases) {
    SCOPED_TRACE("nlhs " + std::to_string(c.nlhs) + ", " + std::to_string(c.inputs.size()) + " inputs" +
                 (c.inputs.empty() ? "" : ", first " + c.inputs[0]));
    CallResult result = callWith(c.nlhs, c.inputs);
    EXPECT_FALSE(result.returned);
    EXPECT_EQ(result.error.identifier, c.identifier);
    EXPECT_EQ(result.error.message, c.message);
    EXPECT_EQ(result.printed, "");
    for (const ArrayPtr &output : result.outputs) EXPECT_EQ(output, nullptr);
  }
}

struct ResultCase {
  const char *multiplier;
  const char *row;
  std::vector<double> expected;
};

TEST_F(QuenvorTest, ReturnsTheRowTimesTheMultiplier) {
  const double inf = std::numeric_limits<double>::infinity();
  const ResultCase cases[] = {
      {"2", "[1 2 3]", {2, 4, 6}},
      {"5", "[1 2 3]", {5, 10, 15}},
      {"2", "zeros(1,0)", {}},
      {"-1.5", "7", {-10.5}},
      {"0", "[Inf -Inf 1]", {NAN, NAN, 0}},
      {"Inf", "[2 -2 0]", {inf, -inf, NAN}},
      {"NaN", "[1 2]", {NAN, NAN}},
      {"3", "[1+2i, -4-1i]", {3, -12}},  // real parts only
      {"2", "reshape([1 2 3 4], [1 2 2])", {2, 4, 6, 8}},
      {"1e308", "[10 -10]", {inf, -inf}},
  };
  for (const ResultCase &c : cases) {
    SCOPED_TRACE(std::string(c.multiplier) + " * " + c.row);
    CallResult result = callWith(1, {c.multiplier, c.row});
    ASSERT_TRUE(result.returned) << result.error.identifier;
    const mxArray *out = result.outputs[0].get();
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(mxIsDouble(out));
    EXPECT_FALSE(mxIsComplex(out));
    EXPECT_FALSE(mxIsSparse(out));
    EXPECT_EQ(mxGetM(out), 1);
    ASSERT_EQ(mxGetN(out), static_cast<mwSize>(c.expected.size()));
    for (size_t i = 0; i < c.expected.size(); ++i) {
      if (std::isnan(c.expected[i])) {
        EXPECT_TRUE(std::isnan(mxGetPr(out)[i])) << i;
      } else {
        EXPECT_EQ(mxGetPr(out)[i], c.expected[i]) << i;
      }
    }
    EXPECT_EQ(result.printed, "");
  }
}

TEST_F(QuenvorTest, LeavesTheInputUnchanged) {
  CallResult result = callWith(1, {"4", "[1 2 3]"});
  ASSERT_TRUE(result.returned);
  EXPECT_EQ(mxGetPr(quenvor.lastInput(1))[0], 1);
  EXPECT_EQ(mxGetPr(quenvor.lastInput(1))[2], 3);
  EXPECT_NE(mxGetPr(quenvor.lastInput(1)), mxGetPr(result.outputs[0].get()));
}

}  // namespace
