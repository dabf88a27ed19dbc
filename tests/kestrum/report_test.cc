// The exact report kestrum writes for well-formed files from other writers,
// and its command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "expected_report.h"
#include "files.h"
#include "fixture_files.h"
#include "kestrum_run.h"
#include "mat_layout.h"

namespace {

std::string fixtureName(const ::testing::TestParamInfo<Fixture> &info) { return info.param.id; }

class WellFormedReport : public ::testing::TestWithParam<Fixture> {};

TEST_P(WellFormedReport, IsExact) {
  const Fixture &fixture = GetParam();
  std::string why = missingWriter(fixture.writer);
  if (!why.empty()) GTEST_SKIP() << why;
  ASSERT_TRUE(std::filesystem::exists(fixture.path)) << fixture.path << " was not written";
  EXPECT_TRUE(ranWith(runKestrum({fixture.path}), 0,
                      expectedReport(fixture.path, fixture.variables)));
}

INSTANTIATE_TEST_SUITE_P(Matio, WellFormedReport, ::testing::ValuesIn(matioFixtures()),
                         fixtureName);
INSTANTIATE_TEST_SUITE_P(Octave, WellFormedReport, ::testing::ValuesIn(octaveFixtures()),
                         fixtureName);

// Forms of the same two variables that other writers use: uint32 dimensions,
// UTF-8 names, object data in a subsystem element.
class VariedReport : public ::testing::TestWithParam<FileVariation> {};

TEST_P(VariedReport, IsThatOfTheOriginal) {
  if (!missingWriter("matio").empty()) GTEST_SKIP() << missingWriter("matio");
  Fixture original = fixtureById("matio_v6_two_variables");
  ASSERT_TRUE(std::filesystem::exists(original.path)) << original.path << " was not written";
  ScratchDirectory scratch;
  std::string path = scratch.path() + "/" + GetParam().name + ".mat";
  writeFile(path, GetParam().vary(readFile(original.path)));
  EXPECT_TRUE(ranWith(runKestrum({path}), 0, expectedReport(path, original.variables)));
}

INSTANTIATE_TEST_SUITE_P(OtherWriters, VariedReport, ::testing::ValuesIn(fileVariations()),
                         [](const ::testing::TestParamInfo<FileVariation> &info) {
                           return std::string(info.param.name);
                         });

class CommandLine : public ::testing::Test {
 protected:
  ScratchDirectory scratch_;
};

// For the runs that need a good file; skips without matio.
class CommandLineWithGoodFile : public CommandLine {
 protected:
  void SetUp() override {
    if (!missingWriter("matio").empty()) GTEST_SKIP() << missingWriter("matio");
    twoVariables = fixtureById("matio_v6_two_variables");
    ASSERT_TRUE(std::filesystem::exists(twoVariables.path)) << twoVariables.path;
  }
  Fixture twoVariables;
};

TEST_F(CommandLine, NoArgumentPrintsTheUsageLine) {
  EXPECT_TRUE(ranWith(runKestrum({}), 0, usageLine()));
}

TEST_F(CommandLineWithGoodFile, OnlyTheFirstOfTwoArgumentsIsDiagnosed) {
  std::string missing = scratch_.path() + "/missing.mat";
  EXPECT_TRUE(ranWith(runKestrum({twoVariables.path, missing}), 0,
                      expectedReport(twoVariables.path, twoVariables.variables)));
  EXPECT_TRUE(ranWith(runKestrum({missing, twoVariables.path}), 1, openingFailure(missing)));
}

TEST_F(CommandLine, NamesThatAreNotOpenableFailAtTheOpen) {
  std::string empty = scratch_.path() + "/empty.mat";
  writeFile(empty, "");
  std::string random = scratch_.path() + "/random.mat";
  std::mt19937 generator(20261208);
  std::string bytes(4096, '\0');
  for (char &byte : bytes) byte = static_cast<char>(generator());
  writeFile(random, bytes);
  for (const std::string &name : {scratch_.path() + "/missing.mat", scratch_.path(), empty,
                                  random, std::string()}) {
    SCOPED_TRACE("file name: [" + name + "]");
    EXPECT_TRUE(ranWith(runKestrum({name}), 1, openingFailure(name)));
  }
}

TEST_F(CommandLineWithGoodFile, FileNameIsPrintedUnchanged) {
  std::string path = scratch_.path() + "/100% %s %d, naïve Ünïcode — файл.mat";
  std::filesystem::copy_file(twoVariables.path, path);
  EXPECT_TRUE(ranWith(runKestrum({path}), 0, expectedReport(path, twoVariables.variables)));
}

}  // namespace
