// The literal parser and the array printer: what each literal builds, that
// the printed form reads back to the same array, and clear errors for
// malformed literals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "array_printer.h"
#include "array_ptr.h"
#include "literal_parser.h"
#include "mx_array.h"

namespace {

ArrayPtr parse(const std::string &text) {
  std::string error;
  ArrayPtr array(parseLiteral(text, error));
  EXPECT_TRUE(array) << text << ": " << error;
  return array;
}

std::string parseError(const std::string &text) {
  std::string error;
  ArrayPtr array(parseLiteral(text, error));
  EXPECT_FALSE(array) << text << " was accepted as " << (array ? formatArray(*array) : "");
  return error;
}

struct ShapeCase {
  const char *text;
  ArrayClass cls;
  std::vector<size_t> dims;
  bool complex;
  bool sparse;
  const char *printed;  // formatArray of the result
};

TEST(LiteralParserTest, BuildsEachKindWithItsClassSizeAndPrintedForm) {
  using C = ArrayClass;
  const ShapeCase cases[] = {
      {"5", C::Double, {1, 1}, false, false, "5"},
      {"-2.5e3", C::Double, {1, 1}, false, false, "-2500"},
      {" Inf ", C::Double, {1, 1}, false, false, "Inf"},
      {"-inf", C::Double, {1, 1}, false, false, "-Inf"},
      {"NaN", C::Double, {1, 1}, false, false, "NaN"},
      {"[1 2 3]", C::Double, {1, 3}, false, false, "[1 2 3]"},
      {"[1, 2,3]", C::Double, {1, 3}, false, false, "[1 2 3]"},
      {"[1;2;3]", C::Double, {3, 1}, false, false, "[1; 2; 3]"},
      {"[1 2;3 4]", C::Double, {2, 2}, false, false, "[1 2; 3 4]"},
      {"[1 -2]", C::Double, {1, 2}, false, false, "[1 -2]"},
      {"[1 2;]", C::Double, {1, 2}, false, false, "[1 2]"},
      {"[]", C::Double, {0, 0}, false, false, "[]"},
      {"zeros(1,0)", C::Double, {1, 0}, false, false, "zeros(1,0)"},
      {"zeros(0,1)", C::Double, {0, 1}, false, false, "zeros(0,1)"},
      {"zeros(2)", C::Double, {2, 2}, false, false, "[0 0; 0 0]"},
      {"ones(1,2,2)", C::Double, {1, 2, 2}, false, false, "reshape([1 1 1 1], [1 2 2])"},
      {"zeros(2,0,3)", C::Double, {2, 0, 3}, false, false, "zeros(2,0,3)"},
      {"zeros(2,3,1,1)", C::Double, {2, 3}, false, false, "[0 0 0; 0 0 0]"},
      {"zeros(1,-1)", C::Double, {1, 0}, false, false, "zeros(1,0)"},
      {"ones(-2)", C::Double, {0, 0}, false, false, "[]"},
      {"NaN(1,2)", C::Double, {1, 2}, false, false, "[NaN NaN]"},
      {"Inf(2,1,'single')", C::Single, {2, 1}, false, false, "single([Inf; Inf])"},
      {"1:5", C::Double, {1, 5}, false, false, "[1 2 3 4 5]"},
      {"0:0.5:2", C::Double, {1, 5}, false, false, "[0 0.5 1 1.5 2]"},
      {"5:-1:1", C::Double, {1, 5}, false, false, "[5 4 3 2 1]"},
      {"1:0", C::Double, {1, 0}, false, false, "zeros(1,0)"},
      // (0.3 - 0) / 0.1 is 2.9999999999999996: still four elements, the last 0.3 itself.
      {"0:0.1:0.3", C::Double, {1, 4}, false, false, "[0 0.1 0.19999999999999998 0.3]"},
      {"int8(-1:0.5:0)", C::Int8, {1, 3}, false, false, "int8([-1 -1 0])"},
      {"[pi -eps]", C::Double, {1, 2}, false, false, "[3.141592653589793 -2.220446049250313e-16]"},
      {"single(pi)", C::Single, {1, 1}, false, false, "single(3.1415927)"},
      {"1+2i", C::Double, {1, 1}, true, false, "complex(1, 2)"},
      {"1 - 2.5j", C::Double, {1, 1}, true, false, "complex(1, -2.5)"},
      {"3i", C::Double, {1, 1}, true, false, "complex(0, 3)"},
      {"[1+2i 3 -4i]", C::Double, {1, 3}, true, false, "complex([1 3 0], [2 0 -4])"},
      {"[1 +2i]", C::Double, {1, 2}, true, false, "complex([1 0], [0 2])"},
      {"int32(7)", C::Int32, {1, 1}, false, false, "int32(7)"},
      {"int8([300 -300 2.5 -2.5 NaN])", C::Int8, {1, 5}, false, false, "int8([127 -128 3 -3 0])"},
      {"uint8(-1)", C::Uint8, {1, 1}, false, false, "uint8(0)"},
      {"int64(9223372036854775807)", C::Int64, {1, 1}, false, false, "int64(9223372036854775807)"},
      {"uint64(18446744073709551615)", C::Uint64, {1, 1}, false, false, "uint64(18446744073709551615)"},
      {"int16(zeros(1,0))", C::Int16, {1, 0}, false, false, "int16(zeros(1,0))"},
      {"zeros(2,1,'uint16')", C::Uint16, {2, 1}, false, false, "uint16([0; 0])"},
      {"complex(int8([1 2]), int8([3 4]))", C::Int8, {1, 2}, true, false,
       "complex(int8([1 2]), int8([3 4]))"},
      {"single(2)", C::Single, {1, 1}, false, false, "single(2)"},
      {"single(0.1)", C::Single, {1, 1}, false, false, "single(0.1)"},
      {"double(single(0.5))", C::Double, {1, 1}, false, false, "0.5"},
      {"true", C::Logical, {1, 1}, false, false, "true"},
      {"[true false]", C::Logical, {1, 2}, false, false, "logical([1 0])"},
      {"logical([2 0])", C::Logical, {1, 2}, false, false, "logical([1 0])"},
      {"false(0,3)", C::Logical, {0, 3}, false, false, "logical(zeros(0,3))"},
      {"'text'", C::Char, {1, 4}, false, false, "'text'"},
      {"'it''s'", C::Char, {1, 4}, false, false, "'it''s'"},
      {"['ab';'cd']", C::Char, {2, 2}, false, false, "char([97 98; 99 100])"},
      {"['a' 'bc'; '' ; 'def']", C::Char, {2, 3}, false, false, "char([97 98 99; 100 101 102])"},
      {"''", C::Char, {0, 0}, false, false, "''"},
      {"char([104 10])", C::Char, {1, 2}, false, false, "char([104 10])"},
      {"double('AB')", C::Double, {1, 2}, false, false, "[65 66]"},
      {"reshape([1 2 3 4 5 6 7 8], [2 2 2])", C::Double, {2, 2, 2}, false, false,
       "reshape([1 2 3 4 5 6 7 8], [2 2 2])"},
      {"reshape(int8([1 2 3 4]), 1, 2, 2)", C::Int8, {1, 2, 2}, false, false,
       "reshape(int8([1 2 3 4]), [1 2 2])"},
      {"sparse([0 2; 3 0])", C::Double, {2, 2}, false, true, "sparse([0 2; 3 0])"},
      {"sparse(zeros(1,3))", C::Double, {1, 3}, false, true, "sparse([0 0 0])"},
      {"sparse([true false])", C::Logical, {1, 2}, false, true, "sparse(logical([1 0]))"},
      {"sparse(1i)", C::Double, {1, 1}, true, true, "sparse(complex(0, 1))"},
      {"{}", C::Cell, {0, 0}, false, false, "{}"},
      {"{1, 'a'; [1 2], {}}", C::Cell, {2, 2}, false, false, "{1, 'a'; [1 2], {}}"},
      {"{1 -2}", C::Cell, {1, 2}, false, false, "{1, -2}"},
      {"cell(1,2)", C::Cell, {1, 2}, false, false, "{[], []}"},
      {"cell(0,2)", C::Cell, {0, 2}, false, false, "cell(0,2)"},
      {"struct()", C::Struct, {1, 1}, false, false, "struct()"},
      {"struct('a', 1, 'b', 'x')", C::Struct, {1, 1}, false, false, "struct('a', 1, 'b', 'x')"},
      {"struct('a', {{1, 2}})", C::Struct, {1, 1}, false, false, "struct('a', {{1, 2}})"},
      {"struct('a', {1, 2}, 'b', 0)", C::Struct, {1, 2}, false, false, "struct('a', {1, 2}, 'b', {0, 0})"},
      {"struct('a', {})", C::Struct, {0, 0}, false, false, "struct('a', {})"},
  };
  for (const ShapeCase &c : cases) {
    SCOPED_TRACE(c.text);
    ArrayPtr array = parse(c.text);
    ASSERT_TRUE(array);
    EXPECT_EQ(array->cls, c.cls);
    EXPECT_EQ(array->dims, c.dims);
    EXPECT_EQ(array->isComplex, c.complex);
    EXPECT_EQ(array->isSparse, c.sparse);
    EXPECT_EQ(formatArray(*array), c.printed);
  }
}

TEST(LiteralParserTest, PrintedFormsReadBackToTheSameArray) {
  const char *const texts[] = {
      "[0.1 1e-300 -0 1.7976931348623157e308 5e-324]",
      "single([0.1 3.4028235e38 1e-45])",
      "int64([-9223372036854775808 9223372036854775807])",
      "reshape(uint64([18446744073709551615 1 2 3]), [1 2 2])",
      "complex(reshape([1 2 3 4 5 6 7 8], [2 2 2]), zeros(2,2,2))",
      "{reshape({1, 'a'}, [1 1 2]), struct('s', {1; 2}), cell(1,0)}",
      "char([0 65 255])",
      "sparse(complex([0 1; 2 0], [3 0; 0 0]))",
  };
  for (const char *text : texts) {
    SCOPED_TRACE(text);
    ArrayPtr first = parse(text);
    ASSERT_TRUE(first);
    std::string printed = formatArray(*first);
    ArrayPtr second = parse(printed);
    ASSERT_TRUE(second) << printed;
    EXPECT_EQ(formatArray(*second), printed);
  }
}

TEST(LiteralParserTest, NumbersKeepTheirExactValues) {
  ArrayPtr values = parse("[0.1 -0 Inf 2.5e-3; NaN 7 1e-320 -1]");
  const double *data = static_cast<const double *>(values->real);
  EXPECT_EQ(data[0], 0.1);  // column-major: 0.1, NaN, -0, 7, ...
  EXPECT_TRUE(std::isnan(data[1]));
  EXPECT_TRUE(std::signbit(data[2]));
  EXPECT_EQ(data[4], INFINITY);
  EXPECT_EQ(data[5], 1e-320);
  EXPECT_EQ(data[6], 2.5e-3);
  EXPECT_EQ(data[7], -1);
  ArrayPtr big = parse("int64(-9223372036854775807)");
  EXPECT_EQ(*static_cast<const int64_t *>(big->real), -9223372036854775807LL);
  ArrayPtr text = parse("'hi'");
  EXPECT_EQ(static_cast<const uint16_t *>(text->real)[1], 'i');
}

struct MalformedCase {
  const char *text;
  const char *reason;  // a part of the error text
};

TEST(LiteralParserTest, RefusesMalformedLiteralsWithAClearReason) {
  const std::string deep(70, '{');
  const MalformedCase cases[] = {
      {"", "a value is missing at column 1"},
      {"   ", "a value is missing"},
      {"[1 2", "']' is missing at column 5"},
      {"[1 2; 3]", "rows of [ ] differ in length (2 and 1)"},
      {"[1,,2]", "unexpected ','"},
      {"[1 a]", "only numbers, true, false and text"},
      {"[zeros(2)]", "only numbers, true, false and text"},
      {"['ab';'c']", "rows of a char matrix differ in length (2 and 1)"},
      {"['a' 1]", "either numbers or text"},
      {"[1:3]", "a range cannot stand inside [ ]"},
      {"1:2:3:4", "at most three parts"},
      {"1:2i", "a range takes real numbers"},
      {"1:Inf", "1:1:Inf is too large: its data would take more than the 2 GiB"},
      {"NaN(2,'int8')", "the class must be 'double' or 'single'"},
      {"1 2", "unexpected '2' after the value"},
      {"5x", "unexpected 'x' after the value"},
      {"1e", "the exponent has no digits"},
      {"-", "a number is expected"},
      {"1+2", "only an imaginary part"},
      {"Infinity", "unknown name 'Infinity'"},
      {"'abc", "the closing ' is missing"},
      {"\"abc\"", "double-quoted strings are not supported"},
      {"foo(1)", "unknown function 'foo'"},
      {"zeros(1,", "a value is missing"},
      {"zeros(1.5)", "a dimension must be an integer"},
      {"zeros(1,NaN)", "a dimension must be an integer"},
      {"zeros(1,3e9)", "size 1x3e+09 is too large: an array may hold at most 2 GiB of data"},
      {"cell(1:65)", "a size has at most 64 dimensions"},
      {"zeros(2,2,'cell')", "'cell' is not a numeric class"},
      {"zeros(100000,100000)", "too large"},
      {"ones(40000,40000)", "too large: its data would take more than the 2 GiB"},
      {"cell(2000,2000)", "at most 1048576 elements"},
      {"reshape([1 2 3], [2 2])", "does not hold the 3 elements"},
      {"complex([1 2], 3)", "the parts differ in size"},
      {"complex(int8(1), 2)", "one numeric class"},
      {"logical(NaN)", "NaN cannot be converted"},
      {"logical(1i)", "complex values cannot be converted"},
      {"sparse('ab')", "full two-dimensional double or logical"},
      {"struct('a')", "pairs of field name and value"},
      {"struct('1a', 2)", "not a valid field name"},
      {"struct('a', 1, 'a', 2)", "given twice"},
      {"struct('a', {1, 2}, 'b', {1, 2, 3})", "differ in size"},
      {"{1, 2", "'}' is missing"},
      {"int8(1, 2)", "takes 1 argument"},
      {deep.c_str(), "nesting deeper than 64 levels"},
  };
  for (const MalformedCase &c : cases) {
    SCOPED_TRACE(c.text);
    std::string error = parseError(c.text);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

}  // namespace
