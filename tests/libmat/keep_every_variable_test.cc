// A client of libmat that reads differently from kestrum: it keeps every
// array it reads before it looks at any of them, and reads two handles on
// one file in turns. Eight complex 1x262144 double variables (real part
// k+1, imaginary part -(k+1)), written by matio in each version, must all
// come back intact.
#include <gtest/gtest.h>

#include <matio.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "mat.h"
#include "matrix.h"
#include "mx_array.h"

namespace {

constexpr int kVariables = 8;
constexpr size_t kColumns = 262144;

struct Version {
  const char *name;
  mat_ft format;
  matio_compression compression;
};

const Version kVersions[] = {
    {"v4", MAT_FT_MAT4, MAT_COMPRESSION_NONE},
    {"v6", MAT_FT_MAT5, MAT_COMPRESSION_NONE},
    {"v7", MAT_FT_MAT5, MAT_COMPRESSION_ZLIB},
    {"v73", MAT_FT_MAT73, MAT_COMPRESSION_NONE},
    {"v73_deflated", MAT_FT_MAT73, MAT_COMPRESSION_ZLIB},
};

// Names a version in the test's name as CTest lists it.
void PrintTo(const Version &version, std::ostream *out) { *out << version.name; }

// Each test writes a file of its own: CTest runs the tests of one version
// side by side.
std::string writeFile(const Version &version) {
  std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(test.begin(), test.end(), '/', '_');
  std::string path = ::testing::TempDir() + "keep_every_" + test + ".mat";
  mat_t *mat = Mat_CreateVer(path.c_str(), nullptr, version.format);
  if (mat == nullptr) return std::string();
  std::vector<double> real(kColumns), imag(kColumns);
  bool written = true;
  for (int k = 0; k < kVariables && written; ++k) {
    real.assign(kColumns, k + 1.0);
    imag.assign(kColumns, -(k + 1.0));
    mat_complex_split_t parts{real.data(), imag.data()};
    size_t dims[2] = {1, kColumns};
    std::string name = "z" + std::to_string(k);
    matvar_t *variable = Mat_VarCreate(name.c_str(), MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, &parts,
                                       MAT_F_COMPLEX);
    written = variable != nullptr && Mat_VarWrite(mat, variable, version.compression) == 0;
    Mat_VarFree(variable);
  }
  return Mat_Close(mat) == 0 && written ? path : std::string();
}

// The first element that differs from `expected`, or kColumns.
size_t firstDifference(const mxArray &array, bool imaginary, double expected) {
  const double *values = static_cast<const double *>(imaginary ? array.imag : array.real);
  for (size_t i = 0; i < kColumns; ++i) {
    if (values[i] != expected) return i;
  }
  return kColumns;
}

void expectIntact(const std::vector<standin::ArrayPtr> &arrays) {
  ASSERT_EQ(arrays.size(), size_t(kVariables));
  for (int k = 0; k < kVariables; ++k) {
    SCOPED_TRACE("variable " + std::to_string(k));
    const mxArray &array = *arrays[k];
    ASSERT_EQ(array.dims, (std::vector<size_t>{1, kColumns}));
    ASSERT_TRUE(array.isComplex);
    EXPECT_EQ(firstDifference(array, false, k + 1.0), kColumns);
    EXPECT_EQ(firstDifference(array, true, -(k + 1.0)), kColumns);
  }
}

class KeepEveryVariable : public ::testing::TestWithParam<Version> {};

TEST_P(KeepEveryVariable, AllArraysStayIntact) {
  std::string path = writeFile(GetParam());
  ASSERT_FALSE(path.empty());
  MATFile *mat = matOpen(path.c_str(), "r");
  ASSERT_NE(mat, nullptr);
  std::vector<standin::ArrayPtr> arrays;
  const char *name = nullptr;
  while (mxArray *array = matGetNextVariable(mat, &name)) arrays.emplace_back(array);
  EXPECT_EQ(matClose(mat), 0);
  expectIntact(arrays);

  // Two handles on the file at once, read in turns; header reads on the
  // first, whole reads on the second.
  MATFile *first = matOpen(path.c_str(), "r");
  MATFile *second = matOpen(path.c_str(), "r");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  std::vector<standin::ArrayPtr> headers, wholes;
  for (int k = 0; k < kVariables; ++k) {
    headers.emplace_back(matGetNextVariableInfo(first, &name));
    wholes.emplace_back(matGetNextVariable(second, &name));
    ASSERT_TRUE(headers.back() && wholes.back());
    EXPECT_EQ(headers.back()->name, wholes.back()->name);
  }
  EXPECT_EQ(matGetNextVariable(second, &name), nullptr);
  EXPECT_EQ(matClose(first), 0);
  EXPECT_EQ(matClose(second), 0);
  expectIntact(wholes);
  unlink(path.c_str());
}

// A host whose signals interrupt system calls (a timer's handler installed
// without SA_RESTART, as fuzzers and profilers install theirs): every read
// and every close still succeeds.
TEST_P(KeepEveryVariable, SignalsOfTheHostInterruptNothing) {
  std::string path = writeFile(GetParam());
  ASSERT_FALSE(path.empty());
  struct sigaction onAlarm {};
  onAlarm.sa_handler = [](int) {};
  sigemptyset(&onAlarm.sa_mask);
  onAlarm.sa_flags = 0;  // no SA_RESTART
  struct sigaction before {};
  ASSERT_EQ(sigaction(SIGALRM, &onAlarm, &before), 0);
  itimerval every{{0, 200}, {0, 200}}, stopped{};
  ASSERT_EQ(setitimer(ITIMER_REAL, &every, nullptr), 0);
  for (int round = 0; round < 3; ++round) {
    MATFile *mat = matOpen(path.c_str(), "r");
    ASSERT_NE(mat, nullptr);
    int count = 0;
    char **names = matGetDir(mat, &count);
    EXPECT_EQ(count, kVariables);
    mxFree(names);
    std::vector<standin::ArrayPtr> arrays;
    const char *name = nullptr;
    while (mxArray *array = matGetNextVariable(mat, &name)) arrays.emplace_back(array);
    EXPECT_EQ(matClose(mat), 0);
    expectIntact(arrays);
  }
  setitimer(ITIMER_REAL, &stopped, nullptr);
  sigaction(SIGALRM, &before, nullptr);
  unlink(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Versions, KeepEveryVariable, ::testing::ValuesIn(kVersions),
                         [](const ::testing::TestParamInfo<Version> &info) {
                           return std::string(info.param.name);
                         });

}  // namespace
