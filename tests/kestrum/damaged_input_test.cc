// Damaged MAT-files made from the good fixtures: every one must end kestrum
// with status 1 and one of its failure messages (or, for a file cut exactly
// after a variable, a complete report), nothing on stderr, no crash, no hang.
#include <gtest/gtest.h>

#include <filesystem>

#include "damaged_files.h"
#include "files.h"
#include "fixture_files.h"
#include "kestrum_run.h"

namespace {

struct DamageSource {
  const char *fixture;  // the good file the damage starts from
  std::vector<DamagedFile> (*damage)(const std::string &good);
};

void PrintTo(const DamageSource &source, std::ostream *out) { *out << source.fixture; }

std::vector<DamagedFile> v4Cuts(const std::string &good) { return cuts(good, true); }
std::vector<DamagedFile> v5Cuts(const std::string &good) { return cuts(good, false); }

::testing::AssertionResult endedCleanly(const ProcessResult &result, const std::string &path,
                                        const DamagedFile &damaged) {
  if (damaged.mayBeWhole && result.exited && result.status == 0 && result.err.empty() &&
      lastLine(result.out) == "Done\n") {
    return ::testing::AssertionSuccess();
  }
  return failedCleanly(result, path) << " (" << damaged.label << ")";
}

// Runs kestrum on each damaged file; reports at most a few failures in full.
void expectCleanEnds(const std::vector<DamagedFile> &files) {
  ASSERT_FALSE(files.empty()) << "no damaged files were made";
  ScratchDirectory scratch;
  std::string path = scratch.path() + "/damaged.mat";
  int failures = 0;
  for (const DamagedFile &damaged : files) {
    writeFile(path, damaged.bytes);
    ProcessResult result = runKestrum({path}, 10, LeakCheck::AllButAnOpenFile);
    ::testing::AssertionResult ended = endedCleanly(result, path, damaged);
    if (!ended && ++failures <= 5) ADD_FAILURE() << ended.message();
  }
  EXPECT_EQ(failures, 0) << "of " << files.size() << " damaged files";
}

std::string sourceName(const ::testing::TestParamInfo<DamageSource> &info) {
  return info.param.fixture;
}

class DamagedInput : public ::testing::TestWithParam<DamageSource> {};

TEST_P(DamagedInput, EndsWithAFailureMessage) {
  Fixture good = fixtureById(GetParam().fixture);
  std::string why = missingWriter(good.writer);
  if (!why.empty()) GTEST_SKIP() << why;
  ASSERT_TRUE(std::filesystem::exists(good.path)) << good.path << " was not written";
  expectCleanEnds(GetParam().damage(readFile(good.path)));
}

INSTANTIATE_TEST_SUITE_P(
    Cut, DamagedInput,
    ::testing::Values(DamageSource{"matio_v4_two_variables", v4Cuts},
                      DamageSource{"octave_v4_version4_classes", v4Cuts},
                      DamageSource{"matio_v6_two_variables", v5Cuts},
                      DamageSource{"matio_v7_two_variables", v5Cuts},
                      DamageSource{"octave_v7_two_variables", v5Cuts},
                      DamageSource{"matio_v6_every_class", v5Cuts},
                      DamageSource{"matio_v7_every_class", v5Cuts},
                      DamageSource{"octave_v6_every_class", v5Cuts},
                      DamageSource{"octave_v7_every_class", v5Cuts}),
    sourceName);

INSTANTIATE_TEST_SUITE_P(
    OversizedField, DamagedInput,
    ::testing::Values(DamageSource{"matio_v4_two_variables", oversizedV4Fields},
                      DamageSource{"octave_v4_two_variables", oversizedV4Fields},
                      DamageSource{"matio_v6_two_variables", oversizedV5Fields},
                      DamageSource{"octave_v6_two_variables", oversizedV5Fields},
                      DamageSource{"matio_v6_dimensions", oversizedV5Fields},
                      DamageSource{"octave_v6_every_class", oversizedV5Fields}),
    sourceName);

INSTANTIATE_TEST_SUITE_P(
    UnknownType, DamagedInput,
    ::testing::Values(DamageSource{"matio_v4_two_variables", unknownV4Types},
                      DamageSource{"octave_v4_two_variables", unknownV4Types},
                      DamageSource{"matio_v6_two_variables", unknownV5Types},
                      DamageSource{"octave_v6_globals", unknownV5Types}),
    sourceName);

INSTANTIATE_TEST_SUITE_P(
    BrokenCompression, DamagedInput,
    ::testing::Values(DamageSource{"matio_v7_two_variables", brokenCompression},
                      DamageSource{"octave_v7_two_variables", brokenCompression},
                      DamageSource{"matio_v7_every_class", brokenCompression},
                      DamageSource{"octave_v7_dimensions", brokenCompression}),
    sourceName);

TEST(DamagedInputRandom, EndsWithAFailureMessage) {
  for (unsigned seed : {1u, 2u, 3u}) expectCleanEnds(randomFiles(seed));
}

}  // namespace
