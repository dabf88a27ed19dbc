// The examination of damaged files and the salvage of what survives.
//
// Damage of each kind is built into the middle one of three variables,
// byte by byte, so that the test knows where the fault lies: the
// examination must name that variable, the kind of fault and its offset
// (in the file, or in the inflated bytes of a compressed element), and
// find the others intact. Files of every version that matio writes, cut
// inside their last variable, must salvage into files that libmat reads
// back whole, holding exactly the other variables.
#include <gtest/gtest.h>

#include <matio.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "examination.h"
#include "files.h"
#include "mat.h"
#include "mat_v5_fixture.h"
#include "mx_array.h"

namespace {

using namespace v5fixture;

FileExamination examineBytes(const std::string &bytes) {
  std::string path = writeTestFile("examined", bytes);
  FileExamination examination;
  std::string why;
  EXPECT_TRUE(examineFile(path.c_str(), examination, why)) << why;
  return examination;
}

// A damage kind: the middle variable's miMATRIX element, where in it (from
// its tag) the fault is found, and words the reason must hold.
struct Damage {
  const char *kind;
  std::string element;
  uint64_t faultAt;
  const char *says;
};

std::vector<Damage> damages(const Writer &w) {
  auto doubles = [&](const std::vector<double> &v) { return w.element(kDouble, w.stored(kDouble, v)); };
  // Flags, two dimensions and a one-letter name take 8 + 16 + 16 + 16 bytes.
  const uint64_t data = 56;
  std::vector<Damage> list;
  list.push_back({"fewer values than elements", w.matrix(6, {2, 3}, "b", doubles({1, 2, 3, 4, 5})),
                  data + 8, "5 values stored for an array of 6 elements"});
  list.push_back({"an element claiming more than the array holds",
                  w.matrix(6, {1, 2}, "b", w.rawElement(kDouble, 800, w.stored(kDouble, {1, 2}))),
                  data + 8, "claims 800 bytes"});
  list.push_back({"a negative dimension", w.matrix(6, {-1, 2}, "b", doubles({})), 8 + 16 + 16,
                  "a negative index or dimension, -1"});
  list.push_back({"an unknown class", w.matrix(99, {1, 1}, "b", doubles({1})), 8 + 16,
                  "unknown array class 99"});
  list.push_back({"a NUL in the name", w.matrix(6, {1, 1}, std::string("b\0c", 3), doubles({1})),
                  8 + 16 + 16 + 16, "a name with a NUL byte"});
  // 3x4 sparse: row indices (3) then column starts that fall after column 1.
  std::string sparse = w.element(kInt32, w.numbers<int32_t>({0, 2, 1})) +
                       w.element(kInt32, w.numbers<int32_t>({0, 2, 1, 3, 3})) + doubles({5, 6, 7});
  // Found once the column starts are read: row indices take 8 + 12 + 4
  // bytes, column starts 8 + 20 + 4.
  list.push_back({"sparse column starts not rising", w.matrix(5, {3, 4}, "b", sparse),
                  data + 24 + 32, "column starts not rising at column 1"});
  return list;
}

std::string variable(const Writer &w, const char *name, double value) {
  return w.matrix(6, {1, 1}, name, w.element(kDouble, w.stored(kDouble, {value})));
}

class V5Damage : public ::testing::TestWithParam<bool> {};

TEST_P(V5Damage, NamesTheVariableTheFaultAndWhereItLies) {
  bool compress = GetParam();
  Writer w;
  for (const Damage &damage : damages(w)) {
    SCOPED_TRACE(damage.kind);
    std::string first = variable(w, "a", 1), last = variable(w, "c", 3);
    if (compress) {
      first = w.compressed(first);
      last = w.compressed(last);
    }
    std::string middle = compress ? w.compressed(damage.element) : damage.element;
    FileExamination e = examineBytes(w.header() + first + middle + last);
    ASSERT_EQ(e.variables.size(), 3u);
    EXPECT_FALSE(e.stop.found);
    EXPECT_FALSE(e.variables[0].fault.found);
    EXPECT_FALSE(e.variables[2].fault.found);
    EXPECT_EQ(e.variables[2].name, "c");
    const VariableExamination &v = e.variables[1];
    EXPECT_EQ(v.offset, kHeaderBytes + first.size());
    EXPECT_EQ(v.storage, compress ? "deflate" : "plain");
    ASSERT_TRUE(v.fault.found);
    EXPECT_NE(v.fault.what.find(damage.says), std::string::npos) << v.fault.what;
    ASSERT_TRUE(v.fault.placed);
    if (compress) {
      EXPECT_TRUE(v.fault.inInflated);
      EXPECT_EQ(v.fault.at, v.offset);
      EXPECT_EQ(v.fault.inflatedAt, damage.faultAt);
    } else {
      EXPECT_EQ(v.fault.at, v.offset + damage.faultAt);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(PlainAndCompressed, V5Damage, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                           return std::string(info.param ? "Compressed" : "Plain");
                         });

// Damage to the deflate stream itself: a changed byte, the checksum, a cut.
TEST(V5Damage, DeflateStreams) {
  Writer w;
  std::string first = w.compressed(variable(w, "a", 1));
  std::string body = w.compressed(w.matrix(6, {1, 200}, "b", w.element(kDouble, w.stored(kDouble, std::vector<double>(200, 2.5)))));
  std::string last = w.compressed(variable(w, "c", 3));
  uint64_t at = kHeaderBytes + first.size();
  struct Case {
    const char *kind;
    size_t change;  // from the element's tag
    const char *says;
  };
  // The first block's header byte (after the element's tag and the 2-byte
  // zlib header) made a final block of the reserved type 3, and the last
  // byte of the checksum changed.
  const Case cases[] = {
      {"an invalid block type", 8 + 2, "deflate stream broken at compressed byte"},
      {"the checksum", body.size() - 1, "Adler-32 mismatch"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.kind);
    std::string changed = body;
    changed[c.change] = c.change == 8 + 2 ? '\x07' : static_cast<char>(changed[c.change] ^ 0x5A);
    FileExamination e = examineBytes(w.header() + first + changed + last);
    ASSERT_EQ(e.variables.size(), 3u);
    const Fault &fault = e.variables[1].fault;
    ASSERT_TRUE(fault.found);
    EXPECT_NE(fault.what.find(c.says), std::string::npos) << fault.what;
    EXPECT_TRUE(fault.placed && fault.at > at + 8 && fault.at <= at + changed.size());
    EXPECT_FALSE(e.variables[0].fault.found || e.variables[2].fault.found);
  }
  // Cut inside the last variable: the first two stand, and the cut is said.
  std::string whole = w.header() + first + body + last;
  FileExamination e = examineBytes(whole.substr(0, whole.size() - 5));
  ASSERT_EQ(e.variables.size(), 3u);
  EXPECT_FALSE(e.variables[0].fault.found || e.variables[1].fault.found);
  EXPECT_NE(e.variables[2].fault.what.find("cut short"), std::string::npos);
  ASSERT_TRUE(e.stop.found);
  EXPECT_EQ(e.stop.at, at + body.size());
}

// Version 4 records built by hand: header, name, data.
std::string record(int32_t type, int32_t rows, int32_t columns, const std::string &name,
                   const std::vector<double> &values) {
  Writer w;
  std::string bytes = w.numbers<int32_t>({type, rows, columns, 0, int32_t(name.size() + 1)}) + name;
  bytes.push_back('\0');
  return bytes + w.numbers(values);
}

TEST(V4Damage, NamesTheRecordTheFaultAndWhereItLies) {
  std::string first = record(0, 1, 1, "a", {1});
  struct Case {
    const char *kind;
    std::string middle;
    uint64_t faultAt;  // from the record's start
    const char *says;
  };
  // Record headers take 20 bytes and a one-letter name 2.
  const Case cases[] = {
      {"a character code not a whole number", record(1, 1, 3, "b", {65, 70000.5, 66}), 22 + 8,
       "character 1 has the code 70000.5"},
      // Entries (row, column) as columns of the stored matrix, then the sizes row.
      {"sparse entries not in column order", record(2, 3, 3, "b", {1, 2, 3, 2, 1, 2, 5, 6, 0}),
       22 + 8, "entries not in column order at entry 1"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.kind);
    FileExamination e = examineBytes(first + c.middle + record(0, 1, 1, "c", {3}));
    EXPECT_EQ(e.version, "4");
    ASSERT_EQ(e.variables.size(), 3u);
    EXPECT_FALSE(e.variables[0].fault.found || e.variables[2].fault.found);
    const VariableExamination &v = e.variables[1];
    EXPECT_EQ(v.name, "b");
    ASSERT_TRUE(v.fault.found);
    EXPECT_NE(v.fault.what.find(c.says), std::string::npos) << v.fault.what;
    EXPECT_EQ(v.fault.at, first.size() + c.faultAt);
  }
}

// ---- salvage

std::vector<standin::ArrayPtr> readAll(const std::string &path) {
  std::vector<standin::ArrayPtr> arrays;
  MATFile *mat = matOpen(path.c_str(), "r");
  if (mat == nullptr) return arrays;
  const char *name = nullptr;
  while (mxArray *array = matGetNextVariable(mat, &name)) arrays.emplace_back(array);
  EXPECT_EQ(matClose(mat), 0);
  return arrays;
}

bool sameArray(const mxArray &a, const mxArray &b) {
  size_t count = standin::numberOfElements(a);
  size_t bytes = count * elementSize(a.cls);
  auto sameData = [&](const void *x, const void *y) {
    return (x == nullptr) == (y == nullptr) && (x == nullptr || std::memcmp(x, y, bytes) == 0);
  };
  if (a.name != b.name || a.cls != b.cls || a.dims != b.dims || a.isComplex != b.isComplex ||
      a.children.size() != b.children.size() || !sameData(a.real, b.real) ||
      !sameData(a.imag, b.imag)) {
    return false;
  }
  for (size_t i = 0; i < a.children.size(); ++i) {
    if (!sameArray(*a.children[i], *b.children[i])) return false;
  }
  return true;
}

struct Version {
  const char *name;
  mat_ft format;
  matio_compression compression;
};

class Salvage : public ::testing::TestWithParam<Version> {};

// Three variables, the middle one a cell where the version has cells; the
// last is 1000 doubles, the last bytes of the file.
std::string writeThree(const Version &version) {
  std::string path = ::testing::TempDir() + "salvage_" + version.name + ".mat";
  mat_t *mat = Mat_CreateVer(path.c_str(), nullptr, version.format);
  if (mat == nullptr) return std::string();
  std::vector<double> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = i * 0.5;
  size_t row[2] = {1, 1000};
  bool written = true;
  auto write = [&](matvar_t *variable) {
    written = written && variable != nullptr && Mat_VarWrite(mat, variable, version.compression) == 0;
    Mat_VarFree(variable);
  };
  write(Mat_VarCreate("first", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, row, ramp.data(), 0));
  if (version.format == MAT_FT_MAT4) {
    write(Mat_VarCreate("second", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, row, ramp.data(), 0));
  } else {
    size_t one[2] = {1, 3}, two[2] = {1, 2};
    double three[3] = {1, 2, 3};
    matvar_t *cells[3] = {Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, three, 0),
                          Mat_VarCreate(nullptr, MAT_C_CHAR, MAT_T_UINT8, 2, one,
                                        const_cast<char *>("abc"), 0),
                          nullptr};
    write(Mat_VarCreate("second", MAT_C_CELL, MAT_T_CELL, 2, two, cells, 0));
  }
  write(Mat_VarCreate("last", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, row, ramp.data(), 0));
  return Mat_Close(mat) == 0 && written ? path : std::string();
}

TEST_P(Salvage, AFileCutInsideItsLastVariableGivesBackTheOthers) {
  std::string path = writeThree(GetParam());
  ASSERT_FALSE(path.empty());
  std::vector<standin::ArrayPtr> original = readAll(path);
  ASSERT_EQ(original.size(), 3u);
  std::string bytes = readFile(path);
  // The last variable's 8000 bytes of data end the file, stored or deflated.
  size_t cut = bytes.size() - (GetParam().compression == MAT_COMPRESSION_ZLIB ? 20 : 4000);
  std::string cutPath = writeTestFile("cut", bytes.substr(0, cut));

  FileExamination e;
  std::string why;
  ASSERT_TRUE(examineFile(cutPath.c_str(), e, why)) << why;
  ASSERT_EQ(e.variables.size(), 3u);
  // Version 7.3 lists the variables in name order: first, last, second.
  for (const VariableExamination &v : e.variables) {
    EXPECT_EQ(v.fault.found, v.name == "last") << v.name << ": " << v.fault.what;
  }

  std::string out = cutPath + ".salvaged.mat";
  ASSERT_TRUE(salvageFile(cutPath.c_str(), e, out.c_str(), false, why)) << why;
  EXPECT_FALSE(salvageFile(cutPath.c_str(), e, out.c_str(), false, why));  // it exists now
  EXPECT_FALSE(salvageFile(cutPath.c_str(), e, cutPath.c_str(), true, why));  // never over the input
  std::vector<standin::ArrayPtr> salvaged = readAll(out);
  ASSERT_EQ(salvaged.size(), 2u);
  for (const standin::ArrayPtr &kept : salvaged) {
    SCOPED_TRACE(kept->name);
    EXPECT_NE(kept->name, "last");
    for (const standin::ArrayPtr &before : original) {
      if (before->name == kept->name) {
        EXPECT_TRUE(sameArray(*kept, *before));
      }
    }
  }
  FileExamination again;
  ASSERT_TRUE(examineFile(out.c_str(), again, why));
  ASSERT_EQ(again.variables.size(), 2u);
  EXPECT_FALSE(again.variables[0].fault.found || again.variables[1].fault.found);
  std::remove(out.c_str());
  std::remove(path.c_str());
}

const Version kVersions[] = {
    {"v4", MAT_FT_MAT4, MAT_COMPRESSION_NONE},
    {"v6", MAT_FT_MAT5, MAT_COMPRESSION_NONE},
    {"v7", MAT_FT_MAT5, MAT_COMPRESSION_ZLIB},
    {"v73", MAT_FT_MAT73, MAT_COMPRESSION_NONE},
};

INSTANTIATE_TEST_SUITE_P(Versions, Salvage, ::testing::ValuesIn(kVersions),
                         [](const ::testing::TestParamInfo<Version> &info) {
                           return std::string(info.param.name);
                         });

}  // namespace
