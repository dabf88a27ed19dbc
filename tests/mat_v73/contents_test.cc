// What the stand-in's MAT-file operations hand out for version 7.3 files
// that h5py wrote: the values read whole, the headers, and every HDF5
// object closed again on success and on failure.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "mat.h"
#include "matrix.h"
#include "mx_array.h"
#include "v73_fixtures.h"

namespace {

using standin::ArrayPtr;

// Every variable of `path`, read whole (or as headers), by name. The file
// must close without error: its HDF5 objects were all released.
std::map<std::string, ArrayPtr> readVariables(const std::string &path, bool whole) {
  std::map<std::string, ArrayPtr> variables;
  MATFile *mat = matOpen(path.c_str(), "r");
  EXPECT_NE(mat, nullptr) << path;
  if (mat == nullptr) return variables;
  int count = -1;
  char **names = matGetDir(mat, &count);
  EXPECT_NE(names, nullptr);
  mxFree(names);
  EXPECT_EQ(matClose(mat), 0);
  mat = matOpen(path.c_str(), "r");
  for (int i = 0; i < count; ++i) {
    const char *name = nullptr;
    ArrayPtr array(whole ? matGetNextVariable(mat, &name) : matGetNextVariableInfo(mat, &name));
    EXPECT_NE(array, nullptr) << "variable " << i;
    if (!array) break;
    variables[name] = std::move(array);
  }
  EXPECT_EQ(matClose(mat), 0);
  return variables;
}

template <typename T>
std::vector<T> values(const void *data, size_t count) {
  const T *begin = static_cast<const T *>(data);
  return std::vector<T>(begin, begin + count);
}

std::vector<size_t> sizes(const size_t *data, size_t count) { return values<size_t>(data, count); }

std::u16string text(const mxArray &array) {
  return std::u16string(static_cast<const char16_t *>(array.real), standin::numberOfElements(array));
}

double firstDouble(const mxArray &array) {
  EXPECT_EQ(array.cls, ArrayClass::Double);
  return array.real == nullptr ? -1 : *static_cast<const double *>(array.real);
}

class H5pyContents : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string missing = missingH5pyFixtures();
    if (!missing.empty()) GTEST_SKIP() << missing;
  }
};

TEST_F(H5pyContents, NumbersTextAndLogicals) {
  auto v = readVariables(h5pyFixture("h5py_kinds"), true);
  ASSERT_EQ(v.size(), 10u);
  EXPECT_EQ(v["ch"]->cls, ArrayClass::Char);
  EXPECT_EQ(v["ch"]->dims, (std::vector<size_t>{1, 5}));
  EXPECT_EQ(text(*v["ch"]), u"hello");
  EXPECT_TRUE(v["cz"]->isComplex);
  EXPECT_EQ(v["cz"]->dims, (std::vector<size_t>{3, 2}));
  EXPECT_EQ(values<double>(v["cz"]->real, 6), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(values<double>(v["cz"]->imag, 6), (std::vector<double>{-1, -2, -3, -4, -5, -6}));
  EXPECT_EQ(v["i8"]->cls, ArrayClass::Int8);
  EXPECT_EQ(values<int8_t>(v["i8"]->real, 3), (std::vector<int8_t>{-1, 0, 1}));
  EXPECT_EQ(v["lg"]->cls, ArrayClass::Logical);
  EXPECT_EQ(values<uint8_t>(v["lg"]->real, 4), (std::vector<uint8_t>{1, 0, 0, 1}));
  EXPECT_EQ(v["u64"]->cls, ArrayClass::Uint64);
  EXPECT_EQ(values<uint64_t>(v["u64"]->real, 1), (std::vector<uint64_t>{UINT64_MAX}));
  // A double array stored as uint8 is converted to its class.
  EXPECT_EQ(v["widened"]->cls, ArrayClass::Double);
  EXPECT_EQ(values<double>(v["widened"]->real, 3), (std::vector<double>{1, 2, 250}));
}

TEST_F(H5pyContents, SparseMatrices) {
  auto v = readVariables(h5pyFixture("h5py_kinds"), true);
  ASSERT_EQ(v.size(), 10u);
  const mxArray &sp = *v["sp"];
  EXPECT_TRUE(sp.isSparse);
  EXPECT_EQ(sp.dims, (std::vector<size_t>{4, 5}));
  EXPECT_EQ(sizes(sp.columnStart, 6), (std::vector<size_t>{0, 2, 2, 2, 3, 3}));
  EXPECT_EQ(sizes(sp.rowIndex, 3), (std::vector<size_t>{0, 3, 2}));
  EXPECT_EQ(values<double>(sp.real, 3), (std::vector<double>{1.5, 2.5, -1.0}));
  const mxArray &complex = *v["sp_complex"];
  EXPECT_TRUE(complex.isComplex);
  EXPECT_EQ(sizes(complex.columnStart, 3), (std::vector<size_t>{0, 0, 1}));
  EXPECT_EQ(values<double>(complex.real, 1), std::vector<double>{1});
  EXPECT_EQ(values<double>(complex.imag, 1), std::vector<double>{2});
  const mxArray &none = *v["sp_empty"];
  EXPECT_EQ(none.dims, (std::vector<size_t>{3, 2}));
  EXPECT_EQ(sizes(none.columnStart, 3), (std::vector<size_t>{0, 0, 0}));
  EXPECT_EQ(v["sp_logical"]->cls, ArrayClass::Logical);
  EXPECT_EQ(sizes(v["sp_logical"]->rowIndex, 2), (std::vector<size_t>{0, 2}));
}

TEST_F(H5pyContents, CellsAndStructs) {
  auto v = readVariables(h5pyFixture("h5py_containers"), true);
  ASSERT_EQ(v.size(), 4u);
  const mxArray &c = *v["c"];
  ASSERT_EQ(c.children.size(), 4u);
  EXPECT_EQ(firstDouble(*c.children[0]), 1);
  EXPECT_EQ(text(*c.children[1]), u"ab");
  EXPECT_EQ(firstDouble(*c.children[2]), 3);
  EXPECT_EQ(c.children[3]->dims, (std::vector<size_t>{0, 0}));

  const mxArray &s = *v["s"];
  EXPECT_EQ(s.fieldNames, (std::vector<std::string>{"x", "y"}));
  ASSERT_EQ(s.children.size(), 2u);
  EXPECT_EQ(firstDouble(*s.children[0]), 1);
  EXPECT_EQ(text(*s.children[1]), u"why");

  const mxArray &sa = *v["sa"];
  EXPECT_EQ(sa.dims, (std::vector<size_t>{1, 3}));
  ASSERT_EQ(sa.children.size(), 6u);  // element i, field j at i * 2 + j
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(firstDouble(*sa.children[i * 2]), static_cast<double>(i + 1));
    EXPECT_EQ(text(*sa.children[i * 2 + 1]), std::u16string(1, u'a' + i));
  }

  const mxArray &nested = *v["nested"];
  ASSERT_EQ(nested.children.size(), 1u);
  const mxArray &inner = *nested.children[0];
  EXPECT_EQ(inner.cls, ArrayClass::Struct);
  ASSERT_EQ(inner.children.size(), 1u);
  ASSERT_EQ(inner.children[0]->children.size(), 2u);
  EXPECT_EQ(firstDouble(*inner.children[0]->children[1]), 8);
}

std::vector<double> countingUpTo(size_t count) {
  std::vector<double> numbers(count);
  for (size_t i = 0; i < count; ++i) numbers[i] = static_cast<double>(i);
  return numbers;
}

// Read chunk by chunk: every element lands in its place, also in the chunks
// that the array's edges cut.
TEST_F(H5pyContents, ChunkedData) {
  auto v = readVariables(h5pyFixture("h5py_chunked"), true);
  ASSERT_EQ(v.size(), 7u);
  EXPECT_EQ(values<double>(v["columns"]->real, 6000), countingUpTo(6000));
  EXPECT_EQ(values<double>(v["large"]->real, 300000), countingUpTo(300000));
  EXPECT_EQ(values<double>(v["large_plain"]->real, 300000), countingUpTo(300000));
  EXPECT_EQ(v["cube"]->dims, (std::vector<size_t>{7, 5, 3}));
  EXPECT_EQ(values<double>(v["cube"]->real, 105), countingUpTo(105));
  EXPECT_EQ(values<double>(v["plain_chunks"]->real, 90), countingUpTo(90));
  std::vector<int16_t> shorts(1000);
  for (int16_t i = 0; i < 1000; ++i) shorts[i] = i;
  EXPECT_EQ(values<int16_t>(v["shorts"]->real, 1000), shorts);
  std::vector<double> negated = countingUpTo(40);
  for (double &number : negated) number = -number;
  EXPECT_EQ(values<double>(v["complex_chunks"]->real, 40), countingUpTo(40));
  EXPECT_EQ(values<double>(v["complex_chunks"]->imag, 40), negated);
}

TEST_F(H5pyContents, ObjectsByClassAndDimensions) {
  auto v = readVariables(h5pyFixture("h5py_objects"), true);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v["fh"]->cls, ArrayClass::FunctionHandle);
  EXPECT_EQ(v["old_style"]->cls, ArrayClass::Object);
  EXPECT_EQ(v["old_style"]->objectClassName, "polynom");
  EXPECT_EQ(v["old_style"]->fieldNames, std::vector<std::string>{"value"});
  EXPECT_EQ(v["opaque"]->cls, ArrayClass::Opaque);
  EXPECT_EQ(v["opaque"]->objectClassName, "string");
  EXPECT_EQ(v["opaque"]->dims, (std::vector<size_t>{1, 1}));
}

TEST_F(H5pyContents, HeadersCarryNoData) {
  auto v = readVariables(h5pyFixture("h5py_kinds"), false);
  ASSERT_EQ(v.size(), 10u);
  for (const auto &entry : v) {
    EXPECT_FALSE(entry.second->hasData) << entry.first;
    EXPECT_EQ(entry.second->real, nullptr) << entry.first;
  }
  EXPECT_TRUE(v["sp"]->isSparse);
  EXPECT_EQ(v["sp"]->dims, (std::vector<size_t>{4, 5}));
  EXPECT_TRUE(v["cz"]->isComplex);
}

// A failed read leaves no HDF5 object open: the file still closes cleanly
// (the reader opens files so that closing fails while objects are open).
TEST_F(H5pyContents, FailedReadsReleaseEverything) {
  for (const char *file : {"contents_struct_field_missing", "contents_sparse_jc_end_wrong",
                           "contents_cell_loop", "contents_compressed_chunk_damaged",
                           "header_fields_wrong_type", "header_class_integer"}) {
    for (bool whole : {false, true}) {
      MATFile *mat = matOpen(h5pyFixture(std::string("damaged/") + file).c_str(), "r");
      ASSERT_NE(mat, nullptr) << file;
      const char *name = nullptr;
      ArrayPtr array(whole ? matGetNextVariable(mat, &name) : matGetNextVariableInfo(mat, &name));
      bool headerOnlyFails = std::strncmp(file, "header_", 7) == 0;
      EXPECT_EQ(array == nullptr, whole || headerOnlyFails) << file << (whole ? " whole" : "");
      EXPECT_EQ(matClose(mat), 0) << file;
    }
  }
}

}  // namespace
