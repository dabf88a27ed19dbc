// kestrum's exact report on version 7.3 files written by h5py and matio, and
// the same facts as for the same data saved by matio as version 7.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "files.h"
#include "fixture_files.h"
#include "kestrum_run.h"
#include "v73_fixtures.h"

namespace {

struct H5pyCase {
  std::string file;
  std::vector<ReportVariable> variables;  // in HDF5's name order
};

void PrintTo(const H5pyCase &c, std::ostream *out) { *out << c.file; }

const std::vector<H5pyCase> kH5pyCases = {
    {"h5py_basic", {{"a", 2, false}, {"b", 2, false}}},
    {"h5py_class_strings",
     {{"nul_padded", 2, false},
      {"nul_padded_wide", 2, false},
      {"nul_terminated", 3, false},
      {"variable_length", 2, false}}},
    {"h5py_globals",
     {{"g_cube", 3, true}, {"g_scalar", 2, true}, {"g_text", 2, true}, {"local", 2, false}}},
    {"h5py_empty",
     {{"e00", 2, false},
      {"e03", 2, false},
      {"e_cell", 2, false},
      {"e_char", 2, false},
      {"e_cube", 3, false},
      {"e_struct", 2, false}}},
    {"h5py_dimensions",
     {{"d3", 3, false},
      {"d4", 4, false},
      {"d5", 5, false},
      {"trailing_one", 2, false},
      {"trailing_ones", 3, false}}},
    {"h5py_kinds",
     {{"ch", 2, false},
      {"cz", 2, false},
      {"i8", 2, false},
      {"lg", 2, false},
      {"sp", 2, false},
      {"sp_complex", 2, false},
      {"sp_empty", 2, false},
      {"sp_logical", 2, false},
      {"u64", 2, false},
      {"widened", 2, false}}},
    {"h5py_containers", {{"c", 2, false}, {"nested", 2, false}, {"s", 2, false}, {"sa", 2, false}}},
    // "#subsystem#" and "#refs#" are not variables.
    {"h5py_objects",
     {{"fh", 2, false}, {"old_style", 2, false}, {"opaque", 2, false}, {"plain", 2, false}}},
    {"h5py_zero_variables", {}},
    {"h5py_compressed", {{"z", 2, false}}},
    {"h5py_chunked",
     {{"columns", 2, false},
      {"complex_chunks", 2, false},
      {"cube", 3, false},
      {"large", 2, false},
      {"large_plain", 2, false},
      {"plain_chunks", 2, false},
      {"shorts", 2, false}}},
};

class H5pyReport : public ::testing::TestWithParam<H5pyCase> {};

// The same report with libhdf5 in the reader process and in kestrum's own
// (the module libmat loads for MAT_V73_READER=in-process).
TEST_P(H5pyReport, IsExact) {
  std::string missing = missingH5pyFixtures();
  if (!missing.empty()) GTEST_SKIP() << missing;
  std::string path = h5pyFixture(GetParam().file);
  std::string expected = expectedReport(path, GetParam().variables);
  EXPECT_TRUE(ranWith(runKestrum({path}), 0, expected));
  setenv("MAT_V73_READER", "in-process", 1);
  ProcessResult inProcess = runKestrum({path});
  unsetenv("MAT_V73_READER");
  EXPECT_TRUE(ranWith(inProcess, 0, expected)) << "with MAT_V73_READER=in-process";
}

INSTANTIATE_TEST_SUITE_P(Files, H5pyReport, ::testing::ValuesIn(kH5pyCases),
                         [](const auto &info) { return info.param.file; });

// The report of `path` with the file name replaced by `name`.
std::string reportNamed(const std::string &path, const std::string &name) {
  ProcessResult result = runKestrum({path});
  EXPECT_TRUE(result.exited && result.status == 0 && result.err.empty()) << describe(result);
  std::string report = result.out;
  for (size_t at = report.find(path); at != std::string::npos; at = report.find(path, at)) {
    report.replace(at, path.size(), name);
    at += name.size();
  }
  return report;
}

TEST(MatioReport, IsExactForVersion73) {
  std::string missing = missingMatio();
  if (!missing.empty()) GTEST_SKIP() << missing;
  ScratchDirectory directory;
  MatioPair pair;
  ASSERT_TRUE(writeMatioPair(directory.path(), pair));
  EXPECT_TRUE(ranWith(runKestrum({pair.version73}), 0,
                      expectedReport(pair.version73, matioPairVariables())));
}

// matio writes the variables in name order, so that the version 7 file's
// order (the file's) and the version 7.3 file's (HDF5's name order) agree.
TEST(MatioReport, MatchesTheSameDataAsVersion7) {
  std::string missing = missingMatio();
  if (!missing.empty()) GTEST_SKIP() << missing;
  ScratchDirectory directory;
  MatioPair pair;
  ASSERT_TRUE(writeMatioPair(directory.path(), pair));
  EXPECT_EQ(reportNamed(pair.version73, "x.mat"), reportNamed(pair.version7, "x.mat"));
}

}  // namespace
