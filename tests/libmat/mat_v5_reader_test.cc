// Version 5/6/7 MAT-files built byte by byte, in both byte orders and with
// and without compression, read back through libmat: every class, every
// stored type, header-only and whole reads.
#include <gtest/gtest.h>

#include <cmath>

#include "mat_reading.h"
#include "mat_v5_fixture.h"

namespace {

using namespace v5fixture;

// A file of one header and the given variable elements, each compressed
// when `compress` is set.
std::string fileOf(const Writer &w, const std::vector<std::string> &matrices, bool compress) {
  std::string bytes = w.header();
  for (const std::string &m : matrices) bytes += compress ? w.compressed(m) : m;
  return bytes;
}

// Reads a file of the one variable; checks that all three passes agree.
standin::ArrayPtr readOne(const Writer &w, const std::string &matrix, bool compress) {
  Passes passes = readPasses(fileOf(w, {matrix}, compress));
  EXPECT_TRUE(passes.listed);
  if (passes.headers.size() != 1 || passes.wholes.size() != 1) {
    ADD_FAILURE() << "headers " << passes.headers.size() << " wholes " << passes.wholes.size();
    return nullptr;
  }
  const mxArray &header = *passes.headers[0];
  const mxArray &whole = *passes.wholes[0];
  EXPECT_EQ(passes.names, std::vector<std::string>{whole.name});
  EXPECT_EQ(header.name, whole.name);
  EXPECT_EQ(header.cls, whole.cls);
  EXPECT_EQ(header.dims, whole.dims);
  EXPECT_EQ(header.isGlobal, whole.isGlobal);
  EXPECT_FALSE(header.hasData);
  EXPECT_EQ(header.real, nullptr);
  EXPECT_TRUE(whole.hasData);
  return std::move(passes.wholes[0]);
}

// Each layout is read in both byte orders, plain and compressed.
struct Variant {
  bool big;
  bool compress;
};

class MatV5Layout : public ::testing::TestWithParam<Variant> {
 protected:
  Writer w{GetParam().big};
  standin::ArrayPtr read(const std::string &matrix) { return readOne(w, matrix, GetParam().compress); }
};

INSTANTIATE_TEST_SUITE_P(OrdersAndCompression, MatV5Layout,
                         ::testing::Values(Variant{false, false}, Variant{true, false},
                                           Variant{false, true}, Variant{true, true}),
                         [](const ::testing::TestParamInfo<Variant> &info) {
                           return std::string(info.param.big ? "Big" : "Little") +
                                  (info.param.compress ? "Compressed" : "Plain");
                         });

const uint32_t kNumericTypes[] = {kInt8, kUint8, kInt16, kUint16, kInt32, kUint32,
                                  kSingle, kDouble, kInt64, kUint64};

TEST_P(MatV5Layout, EveryNumericClassFromEveryStoredType) {
  // Values every numeric class and type holds exactly.
  const std::vector<double> values = {0, 1, 2, 100, 127, 5, 64};
  {
    for (uint32_t cls = 6; cls <= 15; ++cls) {
      for (uint32_t type : kNumericTypes) {
        SCOPED_TRACE(::testing::Message() << "class " << cls << " stored " << type);
        std::string data = w.element(type, w.stored(type, values));
        standin::ArrayPtr a = read(w.matrix(cls, {1, 7}, "n", data));
        ASSERT_TRUE(a);
        EXPECT_EQ(a->cls, static_cast<ArrayClass>(cls));
        EXPECT_EQ(a->dims, (std::vector<size_t>{1, 7}));
        EXPECT_EQ(valuesOf(*a), values);
      }
    }
  }
}

TEST(MatV5Reader, ConversionSaturatesAndRounds) {
  Writer w;
  std::string data = w.element(kDouble, w.stored(kDouble, {300, -300, -1.5, 2.5, NAN, 7}));
  standin::ArrayPtr a = readOne(w, w.matrix(8, {2, 3}, "i8", data), false);
  ASSERT_TRUE(a);
  EXPECT_EQ(valuesOf(*a), (std::vector<double>{127, -128, -2, 3, 0, 7}));
  data = w.element(kInt32, w.stored(kInt32, {-1, 70000, 5}));
  a = readOne(w, w.matrix(11, {1, 3}, "u16", data), false);
  ASSERT_TRUE(a);
  EXPECT_EQ(valuesOf(*a), (std::vector<double>{0, 65535, 5}));
}

TEST_P(MatV5Layout, ComplexGlobalLogicalAndDimensions) {
    std::string parts = w.element(kInt16, w.stored(kInt16, {1, -2})) +
                        w.element(kDouble, w.stored(kDouble, {0.5, 4}));
    standin::ArrayPtr a = read(w.matrix(6 | kComplex | kGlobal, {2, 1, 1}, "z", parts));
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->isComplex);
    EXPECT_TRUE(a->isGlobal);
    EXPECT_EQ(a->dims, (std::vector<size_t>{2, 1}));
    EXPECT_EQ(valuesOf(*a), (std::vector<double>{1, -2}));
    EXPECT_EQ(valuesOf(*a, true), (std::vector<double>{0.5, 4}));

    a = read(w.matrix(9 | kLogical, {1, 3}, "l", w.smallElement(kUint8, std::string("\1\0\1", 3))));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->cls, ArrayClass::Logical);
    EXPECT_EQ(valuesOf(*a), (std::vector<double>{1, 0, 1}));

    // Trailing singletons beyond the second are dropped, inner ones kept.
    a = read(w.matrix(6, {2, 1, 3, 1}, "d", w.element(kUint8, std::string(6, '\7'))));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->dims, (std::vector<size_t>{2, 1, 3}));
    a = read(w.matrix(6, {0, 5}, "e", w.element(kDouble, "")));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->dims, (std::vector<size_t>{0, 5}));
    EXPECT_EQ(a->real, nullptr);
}

TEST_P(MatV5Layout, SmallElementsAndUint32Dimensions) {
    std::string m = w.element(kMatrix, w.flags(13) + w.element(kUint32, w.numbers<uint32_t>({1, 1})) +
                                           w.smallElement(kInt8, "abcd") +
                                           w.smallElement(kUint32, w.number(uint32_t(4000000000u))));
    standin::ArrayPtr a = read(m);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name, "abcd");
    EXPECT_EQ(valuesOf(*a), (std::vector<double>{4000000000.0}));
}

TEST_P(MatV5Layout, CharactersInEveryEncoding) {
  // "h", e-acute, the euro sign and U+1F600 (a surrogate pair in UTF-16).
  const std::vector<double> units = {104, 0xE9, 0x20AC, 0xD83D, 0xDE00};
  {
    std::vector<std::string> encodings = {
        w.element(kUint16, w.stored(kUint16, units)),
        w.element(kUtf16, w.stored(kUint16, units)),
        w.element(kUtf8, "h\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
        w.element(kUtf32, w.numbers<uint32_t>({104, 0xE9, 0x20AC, 0x1F600}))};
    for (const std::string &text : encodings) {
      standin::ArrayPtr a = read(w.matrix(4, {1, 5}, "c", text));
      ASSERT_TRUE(a);
      EXPECT_EQ(a->cls, ArrayClass::Char);
      EXPECT_EQ(valuesOf(*a), units);
    }
    standin::ArrayPtr a = read(w.matrix(4, {1, 2}, "b", w.element(kUint8, "\xE9z")));
    ASSERT_TRUE(a);
    EXPECT_EQ(valuesOf(*a), (std::vector<double>{0xE9, 'z'}));
  }
}

// The 3x4 matrix with (0,0) 5, (2,0) 6, (1,2) 7 as ir, jc, pr and pi.
std::string sparseParts(const Writer &w, uint32_t valueType, bool complex) {
  std::string parts = w.element(kInt32, w.numbers<int32_t>({0, 2, 1})) +
                      w.element(kInt32, w.numbers<int32_t>({0, 2, 2, 3, 3})) +
                      w.element(valueType, w.stored(valueType, {5, 6, 7}));
  if (complex) parts += w.element(kDouble, w.stored(kDouble, {-1, 0, 1}));
  return parts;
}

TEST_P(MatV5Layout, SparseDoubleComplexAndLogical) {
    standin::ArrayPtr a = read(w.matrix(5 | kComplex, {3, 4}, "s", sparseParts(w, kUint8, true)));
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->isSparse);
    EXPECT_TRUE(a->isComplex);
    EXPECT_EQ(a->cls, ArrayClass::Double);
    EXPECT_EQ(a->nzmax, 3u);
    EXPECT_EQ(std::vector<size_t>(a->rowIndex, a->rowIndex + 3), (std::vector<size_t>{0, 2, 1}));
    EXPECT_EQ(std::vector<size_t>(a->columnStart, a->columnStart + 5),
              (std::vector<size_t>{0, 2, 2, 3, 3}));
    EXPECT_EQ(valuesOf(*a), (std::vector<double>{5, 6, 7}));
    EXPECT_EQ(valuesOf(*a, true), (std::vector<double>{-1, 0, 1}));

    // Logical values stored as numbers are true where they are not zero.
    a = read(w.matrix(5 | kLogical, {3, 4}, "sl", sparseParts(w, kDouble, false)));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->cls, ArrayClass::Logical);
    EXPECT_TRUE(a->isSparse);
    EXPECT_EQ(valuesOf(*a), (std::vector<double>{1, 1, 1}));
}

TEST_P(MatV5Layout, CellsStructsAndObjects) {
    std::string one = w.matrix(6, {1, 1}, "", w.element(kDouble, w.stored(kDouble, {1})));
    std::string inner = w.matrix(1, {1, 1}, "", w.matrix(9, {1, 2}, "", w.smallElement(kUint8, "\3\4")));
    std::string empty = w.element(kMatrix, "");
    standin::ArrayPtr a = read(w.matrix(1, {1, 3}, "c", one + empty + inner));
    ASSERT_TRUE(a);
    ASSERT_EQ(a->children.size(), 3u);
    EXPECT_EQ(valuesOf(*a->children[0]), std::vector<double>{1});
    EXPECT_EQ(a->children[1]->cls, ArrayClass::Double);
    EXPECT_EQ(a->children[1]->dims, (std::vector<size_t>{0, 0}));
    ASSERT_EQ(a->children[2]->children.size(), 1u);
    EXPECT_EQ(valuesOf(*a->children[2]->children[0]), (std::vector<double>{3, 4}));

    // Fields "x" and "long_y" in 8-byte slots; 2 elements.
    std::string names = w.smallElement(kInt32, w.number(int32_t(8))) +
                        w.element(kInt8, std::string("x\0\0\0\0\0\0\0long_y\0\0", 16));
    std::string fields = names + one + empty + empty + one;
    a = read(w.matrix(2, {2, 1}, "s", fields));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->cls, ArrayClass::Struct);
    EXPECT_EQ(a->fieldNames, (std::vector<std::string>{"x", "long_y"}));
    ASSERT_EQ(a->children.size(), 4u);
    EXPECT_EQ(valuesOf(*a->children[3]), std::vector<double>{1});

    a = read(w.matrix(3, {1, 1}, "o", w.name("Pointy") + names + one + empty));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->cls, ArrayClass::Object);
    EXPECT_EQ(a->objectClassName, "Pointy");
    EXPECT_EQ(a->children.size(), 2u);
}

TEST_P(MatV5Layout, FunctionHandlesAndOpaqueObjectsArePassedOver) {
    std::string content = w.matrix(2, {1, 1}, "", w.smallElement(kInt32, w.number(int32_t(0))) +
                                                      w.element(kInt8, ""));
    standin::ArrayPtr a = read(w.matrix(16, {1, 1}, "fh", content));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->cls, ArrayClass::FunctionHandle);

    // Flags, name, type system, class name, data: no dimensions element.
    std::string opaque = w.element(kMatrix, w.flags(17) + w.name("obj") + w.name("MCOS") +
                                                w.name("Widget") +
                                                w.matrix(13, {1, 2}, "", w.element(kUint32, w.numbers<uint32_t>({1, 2}))));
    a = read(opaque);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->cls, ArrayClass::Opaque);
    EXPECT_EQ(a->name, "obj");
    EXPECT_EQ(a->dims, (std::vector<size_t>{1, 1}));
}

TEST(MatV5Reader, SubsystemElementIsNotAVariable) {
  for (bool compress : {false, true}) {
    Writer w;
    std::string first = w.matrix(6, {1, 1}, "a", w.element(kDouble, w.stored(kDouble, {1})));
    std::string stored = compress ? w.compressed(first) : first;
    std::string subsystem = w.matrix(9, {1, 8}, "", w.element(kUint8, std::string(8, 'S')));
    std::string last = w.matrix(6, {1, 1}, "b", w.element(kDouble, w.stored(kDouble, {2})));
    std::string bytes = w.header(128 + stored.size()) + stored + subsystem + last;
    Passes passes = readPasses(bytes);
    EXPECT_EQ(passes.names, (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(passes.headers.size(), 2u);
    ASSERT_EQ(passes.wholes.size(), 2u);
    EXPECT_EQ(valuesOf(*passes.wholes[1]), std::vector<double>{2});
  }
}

// Octave writes a sparse logical array as class uint8 with the logical
// flag, followed by ir, jc and pr as for the sparse class.
TEST_P(MatV5Layout, OctaveSparseLogical) {
  std::string parts = w.element(kInt32, w.numbers<int32_t>({1, 0})) +
                      w.element(kInt32, w.numbers<int32_t>({0, 1, 2})) +
                      w.element(kDouble, w.stored(kDouble, {1, 1}));
  standin::ArrayPtr a = read(w.matrix(9 | kLogical, {2, 2}, "sb", parts));
  ASSERT_TRUE(a);
  EXPECT_EQ(a->cls, ArrayClass::Logical);
  EXPECT_TRUE(a->isSparse);
  EXPECT_EQ(std::vector<size_t>(a->rowIndex, a->rowIndex + 2), (std::vector<size_t>{1, 0}));
  EXPECT_EQ(valuesOf(*a), (std::vector<double>{1, 1}));
}

// MATLAB writes a sparse logical's values tagged double but one byte each:
// the 5x4 array with 5 true elements holds "type 9, 5 bytes", 01 01 01 01 01.
// Any other byte count is read by its type, and fails when it does not fit.
TEST_P(MatV5Layout, MatlabSparseLogicalBytesUnderDoubleType) {
  auto parts = [&](const std::string &values) {
    return w.element(kInt32, w.numbers<int32_t>({0, 3, 1, 4, 2})) +
           w.element(kInt32, w.numbers<int32_t>({0, 2, 3, 4, 5})) + values;
  };
  standin::ArrayPtr a =
      read(w.matrix(5 | kLogical, {5, 4}, "sl", parts(w.element(kDouble, std::string(5, '\1')))));
  ASSERT_TRUE(a);
  EXPECT_EQ(a->cls, ArrayClass::Logical);
  EXPECT_TRUE(a->isSparse);
  EXPECT_EQ(valuesOf(*a), (std::vector<double>{1, 1, 1, 1, 1}));
  // One stored element: the byte sits in a small element.
  a = read(w.matrix(5 | kLogical, {2, 1}, "one",
                    w.element(kInt32, w.numbers<int32_t>({1})) +
                        w.element(kInt32, w.numbers<int32_t>({0, 1})) +
                        w.smallElement(kDouble, "\1")));
  ASSERT_TRUE(a);
  EXPECT_EQ(valuesOf(*a), std::vector<double>{1});
  // Three bytes for five elements is neither bytes nor doubles.
  Passes passes = readPasses(fileOf(w, {w.matrix(5 | kLogical, {5, 4}, "bad",
                                                 parts(w.element(kDouble, "\1\1\1")))},
                                    GetParam().compress));
  EXPECT_TRUE(passes.wholes.empty());
}

// Text under the UTF-8 type that is not UTF-8: GNU Octave's Latin-1 bytes
// (E4 F6 for char([228 246])), a lone 80, a sequence cut short, an overlong
// form and an encoded surrogate read as the characters of their bytes; the
// well-formed sequences around them decode as UTF-8. UTF-16 keeps unpaired
// surrogates.
TEST_P(MatV5Layout, TextThatIsNotUtf8ReadsByteForByte) {
  struct Case {
    std::string bytes;
    std::vector<double> units;
  };
  const Case cases[] = {
      {"\xE4\xF6", {228, 246}},
      {"a\x80z", {'a', 0x80, 'z'}},
      {"\xC3\xA9\xE2\x82", {0xE9, 0xE2, 0x82}},
      {"\xC0\xAF\xED\xA0\x80", {0xC0, 0xAF, 0xED, 0xA0, 0x80}},
      {"\xF0\x9F\x98\x80\xFF", {0xD83D, 0xDE00, 0xFF}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    standin::ArrayPtr a = read(w.matrix(4, {1, static_cast<int32_t>(c.units.size())}, "t",
                                        w.element(kUtf8, c.bytes)));
    ASSERT_TRUE(a);
    EXPECT_EQ(valuesOf(*a), c.units);
  }
  standin::ArrayPtr a =
      read(w.matrix(4, {1, 2}, "u16", w.element(kUtf16, w.stored(kUint16, {0xDC00, 'x'}))));
  ASSERT_TRUE(a);
  EXPECT_EQ(valuesOf(*a), (std::vector<double>{0xDC00, 'x'}));
  // The count is still checked: two bytes cannot make three characters.
  Passes passes = readPasses(
      fileOf(w, {w.matrix(4, {1, 3}, "short", w.element(kUtf8, "\xE4\xF6"))}, GetParam().compress));
  EXPECT_TRUE(passes.wholes.empty());
}

// matio writes a compressed char array of uint8 storage with a miMATRIX
// size counted as if the characters took two bytes: 8 bytes more than the
// stream holds. The stream itself is whole, so the variable is read.
TEST(MatV5Reader, CompressedMatrixClaimingMoreThanItsStreamHolds) {
  Writer w;
  std::string body = w.flags(4) + w.dims({1, 7}) + w.name("txt") + w.element(kUint8, "abcdefg");
  std::string claimsMore = w.rawElement(kMatrix, static_cast<uint32_t>(body.size() + 8), body);
  Passes passes = readPasses(w.header() + w.compressed(claimsMore));
  ASSERT_EQ(passes.wholes.size(), 1u);
  EXPECT_EQ(valuesOf(*passes.wholes[0]), (std::vector<double>{'a', 'b', 'c', 'd', 'e', 'f', 'g'}));
}

TEST(MatV5Reader, FileWithoutVariablesHasAnEmptyDirectory) {
  Passes passes = readPasses(Writer{}.header());
  EXPECT_TRUE(passes.listed);
  EXPECT_TRUE(passes.names.empty());
  EXPECT_TRUE(passes.wholes.empty());
}

}  // namespace
