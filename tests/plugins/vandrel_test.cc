// vandrel loaded from its built file: its checks, identifiers, messages and
// the exact text it prints.
#include <gtest/gtest.h>

#include "plugin_harness.h"

namespace {

const char kNargin[] = "MATLAB:vandrel:nargin";
const char kNargout[] = "MATLAB:vandrel:nargout";
const char kNarginText[] = "VANDREL requires two input arguments.";
const char kNargoutText[] = "VANDREL requires no output argument.";

std::string demonstrationText(const char *a, const char *b) {
  return std::string("\nThe initialized data in object:\n") +
         "Value1 = 0\nValue2 = 0\n\n"
         "After setting the object's data to your input:\n" +
         "Value1 = " + a + "\nValue2 = " + b + "\n\n";
}

class VandrelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(vandrel.loaded()) << vandrel.loadError(); }

  CallResult callWith(int nlhs, const std::vector<std::string> &literals) {
    return vandrel.callWith(nlhs, literals);
  }

  Plugin vandrel{"vandrel"};
};

struct CountCase {
  int nlhs;
  int nrhs;
  const char *identifier;
  const char *message;
};

TEST_F(VandrelTest, WrongCountsReportTheirErrorBeforePrintingAnything) {
  const CountCase cases[] = {
      {0, 0, kNargin, kNarginText},  {0, 1, kNargin, kNarginText},  {0, 3, kNargin, kNarginText},
      {1, 0, kNargin, kNarginText},  {2, 1, kNargin, kNarginText},  {5, 3, kNargin, kNarginText},
      {-1, 1, kNargin, kNarginText}, {1, 2, kNargout, kNargoutText}, {2, 2, kNargout, kNargoutText},
      {7, 2, kNargout, kNargoutText},
  };
  for (const CountCase &c : cases) {
    SCOPED_TRACE("nlhs " + std::to_string(c.nlhs) + ", nrhs " + std::to_string(c.nrhs));
    CallResult result = callWith(c.nlhs, std::vector<std::string>(c.nrhs, "1"));
    EXPECT_FALSE(result.returned);
    EXPECT_EQ(result.error.identifier, c.identifier);
    EXPECT_EQ(result.error.message, c.message);
    EXPECT_EQ(result.printed, "");
    EXPECT_EQ(result.outputs[0], nullptr);
  }
}

TEST_F(VandrelTest, NegativeOutputCountIsNotAnOutputAskedFor) {
  CallResult result = callWith(-1, {"3", "4.5"});
  EXPECT_TRUE(result.returned) << result.error.message;
  EXPECT_EQ(result.printed, demonstrationText("3", "4.5"));
}

struct TextCase {
  const char *a;
  const char *b;
  const char *shownA;
  const char *shownB;
};

TEST_F(VandrelTest, PrintsTheValuesBeforeAndAfterSettingThem) {
  const TextCase cases[] = {
      {"3", "4.5", "3", "4.5"},
      {"[7 8 9]", "[1;2]", "7", "1"},            // only the first element is used
      {"[2.5 1; 3 4]", "reshape([6 7], [1 1 2])", "2.5", "6"},
      {"1+2i", "complex([-3 5], [4 6])", "1", "-3"},  // real part of the first element
      {"0", "-0", "0", "-0"},
      {"1e20", "0.000012345", "1e+20", "1.2345e-05"},  // %g form
      {"123456789", "Inf", "1.23457e+08", "inf"},
      {"-Inf", "NaN", "-inf", "nan"},
  };
  for (const TextCase &c : cases) {
    SCOPED_TRACE(std::string(c.a) + ", " + c.b);
    CallResult result = callWith(0, {c.a, c.b});
    EXPECT_TRUE(result.returned) << result.error.identifier;
    EXPECT_EQ(result.printed, demonstrationText(c.shownA, c.shownB));
    EXPECT_EQ(result.outputs[0], nullptr);
  }
}

struct RefusalCase {
  const char *a;
  const char *b;
  const char *identifier;
  const char *message;
};

// Inputs whose real data does not hold a double of their own are refused,
// after the count checks, the first input before the second.
TEST_F(VandrelTest, RefusesInputsWithoutADoubleToRead) {
  const char *notDouble = "MATLAB:vandrel:notDouble";
  const char *notDoubleText = "VANDREL requires inputs of class double.";
  const char *sparse = "MATLAB:vandrel:sparseInput";
  const char *sparseText = "VANDREL requires full inputs, not sparse ones.";
  const char *empty = "MATLAB:vandrel:emptyInput";
  const char *emptyText = "VANDREL requires inputs with at least one element.";
  const RefusalCase cases[] = {
      {"int32(7)", "1", notDouble, notDoubleText},
      {"1", "single(2)", notDouble, notDoubleText},
      {"'a'", "true", notDouble, notDoubleText},
      {"{1}", "1", notDouble, notDoubleText},
      {"struct('a', 1)", "1", notDouble, notDoubleText},
      {"sparse(5)", "1", sparse, sparseText},
      {"1", "sparse([0 2])", sparse, sparseText},
      {"[]", "1", empty, emptyText},
      {"1", "zeros(1,0)", empty, emptyText},
      {"zeros(0,1)", "int8(1)", empty, emptyText},      // first input first
      {"int8(1)", "[]", notDouble, notDoubleText},
      {"sparse(zeros(0,0))", "[]", sparse, sparseText},  // sparse before empty
  };
  for (const RefusalCase &c : cases) {
    SCOPED_TRACE(std::string(c.a) + ", " + c.b);
    CallResult result = callWith(0, {c.a, c.b});
    EXPECT_FALSE(result.returned);
    EXPECT_EQ(result.error.identifier, c.identifier);
    EXPECT_EQ(result.error.message, c.message);
    EXPECT_EQ(result.printed, "");
  }
}

TEST_F(VandrelTest, CountErrorsComeBeforeTheInputRefusals) {
  CallResult result = callWith(1, {"int8(1)", "[]"});
  EXPECT_EQ(result.error.identifier, kNargout);
  result = callWith(0, {"int8(1)"});
  EXPECT_EQ(result.error.identifier, kNargin);
}

}  // namespace
