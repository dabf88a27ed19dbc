// Every class and shape a caller can pass, in every input of each plug-in.
// Each call must end in a result or in an error under the plug-in's
// identifiers; the sanitizer build catches any read beyond an input's data.
#include <gtest/gtest.h>

#include "plugin_harness.h"

namespace {

const char *const kKinds[] = {
    "5", "-0", "[1 2 3]", "[1;2;3]", "[1 2; 3 4]", "1+2i", "complex([1 2 3], [4 5 6])",
    "[]", "zeros(1,0)", "zeros(0,1)", "zeros(0,3)", "zeros(1,0,2)",
    "reshape([1 2 3 4 5 6 7 8], [2 2 2])", "ones(1,3,2)",
    "single(2)", "single([1 2 3])", "single(zeros(1,0))",
    "int8(1)", "uint8([1 2 3])", "int16([1 2 3])", "uint16(7)", "int32([1 2 3])", "uint32(7)",
    "int64([1 2 3])", "uint64(7)", "int32(zeros(1,0))", "complex(int16([1 2]), int16([3 4]))",
    "true", "[true false true]", "logical(zeros(1,0))",
    "'a'", "'text'", "''", "char(zeros(1,0))",
    "sparse(5)", "sparse(0)", "sparse([0 2 0])", "sparse(zeros(1,3))", "sparse([0 2; 3 0])",
    "sparse(zeros(0,0))", "sparse(zeros(1,0))", "sparse([true false])", "sparse(complex([1 0], [0 2]))",
    "{}", "{1}", "{1, 2, 3}", "cell(1,0)", "cell(2,2)",
    "struct()", "struct('a', 1)", "struct('a', {1, 2, 3})", "struct('a', {})",
};

bool isOwnIdentifier(const std::string &identifier, const std::string &prefix) {
  return identifier.compare(0, prefix.size(), prefix) == 0 && identifier.size() > prefix.size();
}

void expectSoundOutcome(const CallResult &result, const std::string &prefix) {
  if (result.returned) return;
  EXPECT_TRUE(isOwnIdentifier(result.error.identifier, prefix)) << result.error.identifier;
  ASSERT_FALSE(result.error.message.empty());
  EXPECT_EQ(result.error.message.back(), '.');
  EXPECT_EQ(result.printed, "");
}

TEST(InputKindsTest, VandrelTakesOrRefusesEveryKindInEitherInput) {
  Plugin vandrel("vandrel");
  ASSERT_TRUE(vandrel.loaded()) << vandrel.loadError();
  ArrayPtr number = literal("1");
  for (const char *kind : kKinds) {
    ArrayPtr input = literal(kind);
    ASSERT_TRUE(input);
    for (int position = 0; position < 2; ++position) {
      SCOPED_TRACE(std::string(kind) + " as input " + std::to_string(position + 1));
      std::vector<const mxArray *> inputs{number.get(), number.get()};
      inputs[position] = input.get();
      CallResult result = vandrel.call(0, inputs);
      expectSoundOutcome(result, "MATLAB:vandrel:");
      if (result.returned) {
        EXPECT_NE(result.printed.find("After setting"), std::string::npos);
      }
    }
  }
}

TEST(InputKindsTest, QuenvorTakesOrRefusesEveryKindInEitherInput) {
  Plugin quenvor("quenvor");
  ASSERT_TRUE(quenvor.loaded()) << quenvor.loadError();
  ArrayPtr multiplier = literal("2");
  ArrayPtr row = literal("[1 2 3]");
  for (const char *kind : kKinds) {
    ArrayPtr input = literal(kind);
    ASSERT_TRUE(input);
    for (int position = 0; position < 2; ++position) {
      SCOPED_TRACE(std::string(kind) + " as input " + std::to_string(position + 1));
      std::vector<const mxArray *> inputs{multiplier.get(), row.get()};
      inputs[position] = input.get();
      CallResult result = quenvor.call(1, inputs);
      expectSoundOutcome(result, "Tessaly:quenvor:");
      if (!result.returned) continue;
      const mxArray *out = result.outputs[0].get();
      ASSERT_NE(out, nullptr);
      EXPECT_TRUE(mxIsDouble(out));
      EXPECT_EQ(mxGetM(out), 1);
      EXPECT_EQ(mxGetN(out), mxGetN(inputs[1]));
    }
  }
}

}  // namespace
