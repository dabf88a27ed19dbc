// Version 4 MAT-files built byte by byte: every stored element type, kind
// and byte order read back through libmat, and damaged files refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "files.h"
#include "mat_reading.h"
#include "mat_v5_fixture.h"
#include "mx_array.h"

namespace {

enum Order { kLittle = 0, kBig = 1 };
enum Stored { kDouble = 0, kSingle = 1, kInt32 = 2, kInt16 = 3, kUint16 = 4, kUint8 = 5 };
enum Kind { kNumeric = 0, kText = 1, kSparse = 2 };

// A record as it lies in the file, so that tests can break any field.
struct RawRecord {
  int order = kLittle;
  uint32_t type = 0, rows = 0, columns = 0, imagf = 0, nameLength = 0;
  std::string name;  // the name bytes, NUL included
  std::string data;  // real part, then imaginary part
};

// Numbers in the record's byte order, written as version 5's are.
v5fixture::Writer inOrder(int order) { return v5fixture::Writer{order == kBig}; }

// The version 5 type of each stored type, to write the values with.
const uint32_t kAsVersion5Type[] = {v5fixture::kDouble, v5fixture::kSingle, v5fixture::kInt32,
                                    v5fixture::kInt16,  v5fixture::kUint16, v5fixture::kUint8};

// A well-formed record of the given matrix (column-major values).
RawRecord makeRecord(int order, int stored, int kind, uint32_t rows, uint32_t columns,
                     const std::vector<double> &real, const std::vector<double> &imag,
                     const std::string &name) {
  RawRecord record;
  record.order = order;
  record.type = static_cast<uint32_t>(order * 1000 + stored * 10 + kind);
  record.rows = rows;
  record.columns = columns;
  record.imagf = imag.empty() ? 0 : 1;
  record.name = name + '\0';
  record.nameLength = static_cast<uint32_t>(record.name.size());
  record.data = inOrder(order).stored(kAsVersion5Type[stored], real) +
                inOrder(order).stored(kAsVersion5Type[stored], imag);
  return record;
}

std::string encode(const RawRecord &record) {
  return inOrder(record.order)
             .numbers<uint32_t>({record.type, record.rows, record.columns, record.imagf, record.nameLength}) +
         record.name + record.data;
}

std::string writeRecords(const std::vector<RawRecord> &records) {
  std::string bytes;
  for (const RawRecord &record : records) bytes += encode(record);
  return writeTestFile("mat_v4", bytes);
}

using standin::ArrayPtr;

// The directory's names, or "<null>" when matGetDir refuses the file.
std::vector<std::string> directoryOf(const std::string &path) {
  Directory directory = readDirectory(path);
  if (!directory.opened) return {"<not opened>"};
  if (!directory.listed) return {"<null>"};
  return directory.names;
}

template <typename T>
std::vector<double> valuesOf(const void *data, size_t count) {
  std::vector<double> values;
  for (size_t i = 0; i < count; ++i) values.push_back(static_cast<const T *>(data)[i]);
  return values;
}

std::vector<size_t> indicesOf(const size_t *data, size_t count) { return {data, data + count}; }

const std::vector<int> kStoredTypes = {kDouble, kSingle, kInt32, kInt16, kUint16, kUint8};

// Values each stored type holds exactly, its extremes included.
std::vector<double> valuesFittingType(int stored) {
  switch (stored) {
    case kDouble: return {-2.5, 0, 1e300, 3, 4.125, -1e-300};
    case kSingle: return {-2.5, 0.25, 65536.5, 3, 1e20f, -7};
    case kInt32: return {-2147483648.0, 2147483647.0, -1, 0, 1, 2};
    case kInt16: return {-32768, 32767, -1, 0, 1, 2};
    case kUint16: return {65535, 0, 1, 2, 3, 40000};
    default: return {255, 0, 1, 2, 3, 128};
  }
}

TEST(MatV4Reader, NumericInEveryStoredTypeByteOrderAndComplexity) {
  for (int order : {kLittle, kBig}) {
    for (int stored : kStoredTypes) {
      for (bool complex : {false, true}) {
        SCOPED_TRACE(testing::Message() << "order " << order << " stored " << stored << " complex " << complex);
        std::vector<double> real = valuesFittingType(stored);
        std::vector<double> imag = complex ? std::vector<double>(real.rbegin(), real.rend()) : std::vector<double>{};
        std::string path = writeRecords({makeRecord(order, stored, kNumeric, 2, 3, real, imag, "m")});
        std::vector<ArrayPtr> arrays = readEachVariable(path, true);
        ASSERT_EQ(arrays.size(), 1u);
        const mxArray &array = *arrays[0];
        EXPECT_EQ(array.name, "m");
        EXPECT_EQ(array.cls, ArrayClass::Double);
        EXPECT_EQ(array.dims, (std::vector<size_t>{2, 3}));
        EXPECT_TRUE(array.hasData);
        EXPECT_FALSE(array.isGlobal || array.isSparse);
        EXPECT_EQ(array.isComplex, complex);
        EXPECT_EQ(valuesOf<double>(array.real, 6), real);
        if (complex) {
          EXPECT_EQ(valuesOf<double>(array.imag, 6), imag);
        }
      }
    }
  }
}

TEST(MatV4Reader, TextInEveryStoredTypeAndByteOrder) {
  for (int order : {kLittle, kBig}) {
    for (int stored : kStoredTypes) {
      SCOPED_TRACE(testing::Message() << "order " << order << " stored " << stored);
      // 'Hi' over 'a' and a fourth code unit: above ASCII where the type allows it.
      std::vector<double> units = {72, 97, 105, stored == kUint8 ? 200.0 : 9786.0};
      std::string path = writeRecords({makeRecord(order, stored, kText, 2, 2, units, {}, "txt")});
      std::vector<ArrayPtr> arrays = readEachVariable(path, true);
      ASSERT_EQ(arrays.size(), 1u);
      EXPECT_EQ(arrays[0]->cls, ArrayClass::Char);
      EXPECT_EQ(arrays[0]->dims, (std::vector<size_t>{2, 2}));
      EXPECT_EQ(valuesOf<uint16_t>(arrays[0]->real, 4), units);
    }
  }
}

// A 4-by-3 sparse matrix: (1,1) 5, (3,1) 6, (2,3) 7, imaginary parts 1, 2, 3.
RawRecord sparseRecord(int order, int stored, bool complex) {
  std::vector<double> columns = {1, 3, 2, 4, 1, 1, 3, 3, 5, 6, 7, 0};
  if (complex) columns.insert(columns.end(), {1, 2, 3, 0});
  return makeRecord(order, stored, kSparse, 4, complex ? 4 : 3, columns, {}, "sp");
}

TEST(MatV4Reader, SparseInEveryStoredTypeByteOrderAndComplexity) {
  for (int order : {kLittle, kBig}) {
    for (int stored : kStoredTypes) {
      for (bool complex : {false, true}) {
        SCOPED_TRACE(testing::Message() << "order " << order << " stored " << stored << " complex " << complex);
        std::vector<ArrayPtr> arrays = readEachVariable(writeRecords({sparseRecord(order, stored, complex)}), true);
        ASSERT_EQ(arrays.size(), 1u);
        const mxArray &array = *arrays[0];
        EXPECT_EQ(array.cls, ArrayClass::Double);
        EXPECT_TRUE(array.isSparse);
        EXPECT_EQ(array.isComplex, complex);
        EXPECT_EQ(array.dims, (std::vector<size_t>{4, 3}));
        ASSERT_GE(array.nzmax, 3u);
        EXPECT_EQ(indicesOf(array.rowIndex, 3), (std::vector<size_t>{0, 2, 1}));
        EXPECT_EQ(indicesOf(array.columnStart, 4), (std::vector<size_t>{0, 2, 2, 3}));
        EXPECT_EQ(valuesOf<double>(array.real, 3), (std::vector<double>{5, 6, 7}));
        if (complex) {
          EXPECT_EQ(valuesOf<double>(array.imag, 3), (std::vector<double>{1, 2, 3}));
        }
      }
    }
  }
}

TEST(MatV4Reader, EmptyMatricesHaveTheirShapeAndNoData) {
  std::string path = writeRecords({makeRecord(kLittle, kDouble, kNumeric, 0, 0, {}, {}, "e"),
                                   makeRecord(kBig, kDouble, kNumeric, 0, 5, {}, {}, "e05"),
                                   makeRecord(kLittle, kDouble, kSparse, 1, 3, {2, 5, 0}, {}, "es")});
  std::vector<ArrayPtr> arrays = readEachVariable(path, true);
  ASSERT_EQ(arrays.size(), 3u);
  EXPECT_EQ(arrays[0]->dims, (std::vector<size_t>{0, 0}));
  EXPECT_EQ(arrays[0]->real, nullptr);
  EXPECT_EQ(arrays[1]->dims, (std::vector<size_t>{0, 5}));
  EXPECT_EQ(arrays[2]->dims, (std::vector<size_t>{2, 5}));
  EXPECT_EQ(indicesOf(arrays[2]->columnStart, 6), (std::vector<size_t>(6, 0)));
}

std::vector<RawRecord> threeRecords() {
  return {makeRecord(kBig, kDouble, kNumeric, 1, 2, {1, 2}, {3, 4}, "first"),
          makeRecord(kLittle, kUint8, kText, 1, 3, {97, 98, 99}, {}, "second"),
          sparseRecord(kBig, kInt16, true)};
}

TEST(MatV4Reader, DirectoryAndHeaderPassFollowTheRecords) {
  std::string path = writeRecords(threeRecords());
  EXPECT_EQ(directoryOf(path), (std::vector<std::string>{"first", "second", "sp"}));
  std::vector<ArrayPtr> headers = readEachVariable(path, false);
  ASSERT_EQ(headers.size(), 3u);
  const std::vector<std::vector<size_t>> dims = {{1, 2}, {1, 3}, {4, 3}};
  const std::vector<ArrayClass> classes = {ArrayClass::Double, ArrayClass::Char, ArrayClass::Double};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(headers[i]->dims, dims[i]);
    EXPECT_EQ(headers[i]->cls, classes[i]);
    EXPECT_FALSE(headers[i]->hasData);
    EXPECT_EQ(headers[i]->real, nullptr);
  }
  EXPECT_TRUE(headers[0]->isComplex && headers[2]->isComplex && headers[2]->isSparse);
  EXPECT_EQ(readEachVariable(path, true).size(), 3u);
}

// Every cut of a three-record file: at a record boundary the file holds the
// records before it; anywhere else the cut record is refused, and so is
// the directory.
TEST(MatV4Reader, FileCutAtEveryOffset) {
  std::vector<RawRecord> records = threeRecords();
  std::string bytes;
  std::vector<size_t> ends;
  for (const RawRecord &record : records) ends.push_back((bytes += encode(record)).size());
  for (size_t length = 0; length < bytes.size(); ++length) {
    SCOPED_TRACE(testing::Message() << "length " << length);
    std::string path = writeTestFile("mat_v4", bytes.substr(0, length));
    size_t whole = 0;
    while (whole < ends.size() && ends[whole] <= length) ++whole;
    bool atBoundary = whole > 0 && ends[whole - 1] == length;
    if (whole == 0) {
      EXPECT_EQ(directoryOf(path), std::vector<std::string>{"<not opened>"});
      continue;
    }
    std::vector<std::string> names = {"first", "second", "sp"};
    names.resize(whole);
    EXPECT_EQ(directoryOf(path), atBoundary ? names : std::vector<std::string>{"<null>"});
    EXPECT_EQ(readEachVariable(path, false).size(), whole);
    EXPECT_EQ(readEachVariable(path, true).size(), whole);
  }
}

struct Damage {
  const char *what;
  std::function<void(RawRecord &)> apply;
};

RawRecord goodRecord() { return makeRecord(kLittle, kDouble, kNumeric, 2, 2, {1, 2, 3, 4}, {}, "x"); }

const std::vector<Damage> &headerDamages() {
  static const std::vector<Damage> damages = {
      {"byte order digit 2", [](RawRecord &r) { r.type = 2000; }},
      {"byte order digit 4", [](RawRecord &r) { r.type = 4000; }},
      {"byte order digit says big, bytes are little", [](RawRecord &r) { r.type = 1000; }},
      {"O digit 1", [](RawRecord &r) { r.type = 100; }},
      {"P digit 6", [](RawRecord &r) { r.type = 60; }},
      {"T digit 3", [](RawRecord &r) { r.type = 3; }},
      {"negative type", [](RawRecord &r) { r.type = 0xffffffffu; }},
      {"imagf 2", [](RawRecord &r) { r.imagf = 2; }},
      {"negative rows", [](RawRecord &r) { r.rows = 0x80000000u; }},
      {"negative columns", [](RawRecord &r) { r.columns = 0xfffffffeu; }},
      {"dimensions overflowing", [](RawRecord &r) { r.rows = r.columns = 0x7fffffffu; }},
      {"data past the end", [](RawRecord &r) { r.columns = 3; }},
      {"imaginary part missing", [](RawRecord &r) { r.imagf = 1; }},
      {"namlen 0", [](RawRecord &r) { r.nameLength = 0; r.name.clear(); }},
      {"namlen past the end", [](RawRecord &r) { r.nameLength = 0x7fffffffu; }},
      {"namlen negative", [](RawRecord &r) { r.nameLength = 0x80000002u; }},
      {"name without NUL", [](RawRecord &r) { r.name = "xy"; }},
      {"NUL inside the name", [](RawRecord &r) { r.name = std::string("x\0y\0", 4); r.nameLength = 4; }},
      {"complex text", [](RawRecord &r) { r = makeRecord(kLittle, kDouble, kText, 1, 1, {65}, {66}, "t"); }},
      {"sparse of two columns", [](RawRecord &r) { r = makeRecord(kLittle, kDouble, kSparse, 1, 2, {1, 1}, {}, "s"); }},
      {"sparse of five columns", [](RawRecord &r) { r = makeRecord(kLittle, kDouble, kSparse, 1, 5, {1, 1, 0, 0, 0}, {}, "s"); }},
      {"sparse without dimension row", [](RawRecord &r) { r = makeRecord(kLittle, kDouble, kSparse, 0, 3, {}, {}, "s"); }},
      {"sparse with imagf", [](RawRecord &r) { r = makeRecord(kLittle, kDouble, kSparse, 1, 3, {1, 1, 0}, {0, 0, 0}, "s"); }},
  };
  return damages;
}

TEST(MatV4Reader, DamagedHeaderRefusedAsFirstOrLaterRecord) {
  for (const Damage &damage : headerDamages()) {
    SCOPED_TRACE(damage.what);
    RawRecord damaged = goodRecord();
    damage.apply(damaged);
    EXPECT_EQ(directoryOf(writeRecords({damaged})), std::vector<std::string>{"<not opened>"});
    std::string path = writeRecords({goodRecord(), damaged});
    EXPECT_EQ(directoryOf(path), std::vector<std::string>{"<null>"});
    EXPECT_EQ(readEachVariable(path, false).size(), 1u);
    EXPECT_EQ(readEachVariable(path, true).size(), 1u);
  }
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

RawRecord sparseWith(std::vector<double> rows, std::vector<double> columns, double m, double n) {
  std::vector<double> values = rows;
  values.push_back(m);
  values.insert(values.end(), columns.begin(), columns.end());
  values.push_back(n);
  for (size_t i = 0; i <= rows.size(); ++i) values.push_back(i < rows.size() ? 1.0 : 0.0);
  return makeRecord(kLittle, kDouble, kSparse, static_cast<uint32_t>(rows.size() + 1), 3, values, {}, "s");
}

// Well-formed headers over contents that are not valid: the whole read is
// refused; the header read too where it needs those contents (sparse dimensions).
TEST(MatV4Reader, DamagedContentsRefused) {
  struct Case {
    const char *what;
    RawRecord record;
    bool headerReadable;
  };
  auto text = [](double unit) { return makeRecord(kLittle, kDouble, kText, 1, 2, {65, unit}, {}, "t"); };
  const std::vector<Case> cases = {
      {"code unit above 65535", text(70000), true},
      {"negative code unit", text(-1), true},
      {"fractional code unit", text(66.5), true},
      {"NaN code unit", text(kNaN), true},
      {"row 0", sparseWith({0}, {1}, 2, 2), true},
      {"row past the rows", sparseWith({3}, {1}, 2, 2), true},
      {"column 0", sparseWith({1}, {0}, 2, 2), true},
      {"column past the columns", sparseWith({1}, {3}, 2, 2), true},
      {"fractional row", sparseWith({1.5}, {1}, 2, 2), true},
      {"NaN column", sparseWith({1}, {kNaN}, 2, 2), true},
      {"columns out of order", sparseWith({1, 1}, {2, 1}, 2, 2), true},
      {"rows out of order in a column", sparseWith({2, 1}, {1, 1}, 2, 2), true},
      {"same entry twice", sparseWith({1, 1}, {2, 2}, 2, 2), true},
      {"negative row count", sparseWith({}, {}, -1, 2), false},
      {"fractional column count", sparseWith({}, {}, 2, 2.5), false},
      {"row count of 2^31", sparseWith({}, {}, 2147483648.0, 2), false},
      {"NaN row count", sparseWith({}, {}, kNaN, 2), false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = writeRecords({goodRecord(), c.record});
    EXPECT_EQ(directoryOf(path), (std::vector<std::string>{"x", c.record.name.substr(0, 1)}));
    EXPECT_EQ(readEachVariable(path, false).size(), c.headerReadable ? 2u : 1u);
    EXPECT_EQ(readEachVariable(path, true).size(), 1u);
  }
}

}  // namespace
