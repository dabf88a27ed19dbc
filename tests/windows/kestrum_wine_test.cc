// kestrum.exe under Wine against the Linux kestrum on the same files: the
// same report, each line ending in CR LF, and the same exit status. Version
// 7.3 files are the one difference: the Windows build has no HDF5 reader and
// refuses them at the open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "expected_report.h"
#include "files.h"
#include "fixture_files.h"
#include "kestrum_run.h"
#include "mat_layout.h"
#include "windows_build.h"

namespace {

std::vector<std::string> fixtureFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto &entry : std::filesystem::directory_iterator(MAT_FIXTURE_DIR, error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".mat") {
      files.push_back(entry.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A version 7.3 file is an HDF5 file behind a 512-byte user block.
bool isVersion73(const std::string &bytes) {
  return bytes.size() >= 520 && bytes.compare(512, 8, std::string("\x89HDF\r\n\x1a\n", 8)) == 0;
}

// What kestrum.exe must write and return for the arguments, given what the
// Linux kestrum did with them.
ProcessResult expectedOnWindows(const std::vector<std::string> &arguments,
                                const ProcessResult &onLinux) {
  ProcessResult expected = onLinux;
  if (!arguments.empty() && isVersion73(readFile(arguments[0]))) {
    expected.out = openingFailure(arguments[0]);
    expected.status = 1;
  }
  expected.out = withCrlf(expected.out);
  return expected;
}

::testing::AssertionResult sameReportAsOnLinux(const std::vector<std::string> &arguments) {
  ProcessResult onLinux = runKestrum(arguments);
  if (!onLinux.exited) return ::testing::AssertionFailure() << "Linux kestrum " << describe(onLinux);
  ProcessResult expected = expectedOnWindows(arguments, onLinux);
  ProcessResult onWindows = runUnderWine(windowsBinary("kestrum.exe"), arguments);
  if (!onWindows.exited || onWindows.status != expected.status || !onWindows.err.empty()) {
    return ::testing::AssertionFailure()
           << "kestrum.exe " << describe(onWindows) << "; expected status " << expected.status;
  }
  if (onWindows.out != expected.out) {
    return ::testing::AssertionFailure() << "kestrum.exe wrote\n[" << onWindows.out
                                         << "]\nexpected\n[" << expected.out << "]";
  }
  return ::testing::AssertionSuccess();
}

class KestrumUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wineUnavailable().empty()) GTEST_SKIP() << wineUnavailable();
  }
  ScratchDirectory scratch_;
};

// Fixture files from the writers, or a skip when no writer made any.
#define REQUIRE_FIXTURES(files)                                                    \
  if ((files).empty()) GTEST_SKIP() << "no MAT-file fixtures in " MAT_FIXTURE_DIR \
                                       " (neither matio nor Octave was found)"

TEST_F(KestrumUnderWine, ReportsEveryFixtureAsOnLinux) {
  std::vector<std::string> files = fixtureFiles();
  REQUIRE_FIXTURES(files);
  for (const std::string &file : files) {
    SCOPED_TRACE(file);
    // Well-formed: a complete report on Linux, so that the comparison is
    // one of complete reports.
    EXPECT_EQ(runKestrum({file}).status, 0);
    EXPECT_TRUE(sameReportAsOnLinux({file}));
  }
}

// Ways of damaging a file, each one run on every fixture.
struct Damage {
  const char *name;
  std::string (*apply)(std::string bytes);
};

void PrintTo(const Damage &damage, std::ostream *out) { *out << damage.name; }

std::string truncatedToHalf(std::string bytes) { return bytes.substr(0, bytes.size() / 2); }
std::string shortOfOneByte(std::string bytes) { return bytes.substr(0, bytes.size() - 1); }
// Past a version 5 header, inside the first element's tag or data.
std::string cutAfterHeader(std::string bytes) { return bytes.substr(0, 136); }

// The first element's byte count (version 5) or the first matrix's row count
// (version 4) made huge, far beyond the file.
std::string hugeFirstCount(std::string bytes) {
  bool version5 = bytes.size() >= 136 &&
                  (bytes.compare(126, 2, "IM") == 0 || bytes.compare(126, 2, "MI") == 0);
  kLittleEndian.write<uint32_t>(bytes, version5 ? 132 : 4, 0x7ffffff0u);
  return bytes;
}

// Eight bytes past the header inverted, at places that depend only on the size.
std::string scatteredFlips(std::string bytes) {
  uint32_t state = static_cast<uint32_t>(bytes.size()) * 2654435761u;
  for (int i = 0; i < 8 && bytes.size() > 128; ++i) {
    state = state * 1664525u + 1013904223u;
    size_t at = 128 + state % (bytes.size() - 128);
    bytes[at] = static_cast<char>(~bytes[at]);
  }
  return bytes;
}

class DamagedUnderWine : public KestrumUnderWine, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedUnderWine, ReportsAsOnLinux) {
  std::vector<std::string> files = fixtureFiles();
  REQUIRE_FIXTURES(files);
  for (const std::string &file : files) {
    std::string bytes = readFile(file);
    if (isVersion73(bytes)) continue;  // refused whole on Windows, damaged or not
    std::string damaged = scratch_.path() + "/" + GetParam().name + "_" +
                          std::filesystem::path(file).filename().string();
    writeFile(damaged, GetParam().apply(bytes));
    SCOPED_TRACE(damaged);
    EXPECT_TRUE(sameReportAsOnLinux({damaged}));
  }
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedUnderWine,
                         ::testing::Values(Damage{"truncated_to_half", truncatedToHalf},
                                           Damage{"short_of_one_byte", shortOfOneByte},
                                           Damage{"cut_after_header", cutAfterHeader},
                                           Damage{"huge_first_count", hugeFirstCount},
                                           Damage{"scattered_flips", scatteredFlips}),
                         [](const ::testing::TestParamInfo<Damage> &info) {
                           return std::string(info.param.name);
                         });

// An uncompressed little-endian version 5 file whose first element is a
// matrix with two int32 dimensions right after its array flags.
bool hasPlainFirstMatrix(const std::string &bytes) {
  MatrixFields first;
  return bytes.size() >= 168 && bytes.compare(126, 2, "IM") == 0 &&
         locateMatrixFields(bytes, v5fixture::kHeaderBytes, first) &&
         kLittleEndian.read<uint32_t>(bytes, first.dimsTag) == v5fixture::kInt32 &&
         kLittleEndian.read<uint32_t>(bytes, first.dimsTag + 4) == 8;
}

// The first matrix made 65536 by 65536: 2^32 elements, one more than a
// 32-bit size can count. What the header says does not depend on the width
// of the platform's sizes, so both builds must report alike.
TEST_F(KestrumUnderWine, ElementCountBeyond32BitsAsOnLinux) {
  std::vector<std::string> files = fixtureFiles();
  REQUIRE_FIXTURES(files);
  int cases = 0;
  for (const std::string &file : files) {
    std::string bytes = readFile(file);
    if (!hasPlainFirstMatrix(bytes)) continue;
    kLittleEndian.write<int32_t>(bytes, 160, 65536);
    kLittleEndian.write<int32_t>(bytes, 164, 65536);
    std::string huge = scratch_.path() + "/huge_" + std::filesystem::path(file).filename().string();
    writeFile(huge, bytes);
    SCOPED_TRACE(huge);
    EXPECT_TRUE(sameReportAsOnLinux({huge}));
    ++cases;
  }
  EXPECT_GT(cases, 0) << "no uncompressed version 5 fixture";
}

TEST_F(KestrumUnderWine, CommandLineAsOnLinux) {
  std::vector<std::string> files = fixtureFiles();
  REQUIRE_FIXTURES(files);
  std::string missing = scratch_.path() + "/missing.mat";
  std::string oddName = scratch_.path() + "/100% %s %d, with spaces.mat";
  std::filesystem::copy_file(files.front(), oddName);
  std::vector<std::vector<std::string>> commandLines = {
      {}, {missing}, {files.front(), missing}, {missing, files.front()}, {oddName}, {""}};
  for (const std::vector<std::string> &arguments : commandLines) {
    SCOPED_TRACE(arguments.empty() ? "(no argument)" : "[" + arguments[0] + "]");
    EXPECT_TRUE(sameReportAsOnLinux(arguments));
  }
}

// A version 7.3 file, written by h5py behind the 128-byte MAT-file header.
TEST_F(KestrumUnderWine, Version73IsRefusedAsUnreadable) {
  std::string path = scratch_.path() + "/version73.mat";
  std::string script =
      "import sys, h5py, numpy\n"
      "with h5py.File(sys.argv[1], 'w', userblock_size=512) as f:\n"
      "    f['x'] = numpy.ones((2, 3))\n"
      "    f['x'].attrs['MATLAB_class'] = numpy.bytes_(b'double')\n"
      "header = b'MATLAB 7.3 MAT-file, written by a test'.ljust(116, b' ')\n"
      "with open(sys.argv[1], 'r+b') as f:\n"
      "    f.write(header + bytes(8) + b'\\x00\\x02IM')\n";
  ProcessResult written = runProcess({"/usr/bin/python3", "-c", script, path});
  if (!written.exited || written.status != 0) GTEST_SKIP() << "h5py could not write: " << describe(written);
  ASSERT_TRUE(isVersion73(readFile(path)));
  ProcessResult onWindows = runUnderWine(windowsBinary("kestrum.exe"), {path});
  EXPECT_TRUE(onWindows.exited && onWindows.status == 1) << describe(onWindows);
  EXPECT_EQ(onWindows.out, withCrlf(openingFailure(path)));
}

}  // namespace
