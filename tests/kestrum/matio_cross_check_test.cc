// The stand-in libmat against matio on every well-formed fixture: the same
// variable names, dimension counts and global flags, from the directory, the
// headers and the variables read whole. Where matio is known to be wrong the
// fixture names the fault, the comparison it spoils is skipped, and the test
// checks that matio did go wrong there (so the list stays true).
#include <gtest/gtest.h>
#include <matio.h>

#include <filesystem>

#include "files.h"
#include "fixture_files.h"
#include "mat_layout.h"
#include "mat_reading.h"

namespace {

enum MatioFault : unsigned {
  // matio's rank counts trailing singleton dimensions (2x3x1 has rank 3).
  CountsTrailingSingletons = 1,
  // matio gives rank 0 when the dimensions are stored as uint32.
  NoDimensionsWhenUint32 = 2,
  // matio gives a null name when the name is stored as UTF-8, and also when
  // the dimensions before it are stored as uint32.
  NoName = 4,
  // matio lists the subsystem data element as a nameless variable.
  SubsystemDataAsVariable = 8,
};

struct Described {
  std::string name;
  bool hasName = true;
  int dimensions;
  bool global;
};

struct CrossCheck {
  Fixture fixture;
  unsigned faults;
};

void PrintTo(const CrossCheck &check, std::ostream *out) { *out << check.fixture.id; }

std::vector<Described> describeWithMatio(const std::string &path) {
  std::vector<Described> variables;
  mat_t *mat = Mat_Open(path.c_str(), MAT_ACC_RDONLY);
  if (mat == nullptr) return variables;
  while (matvar_t *var = Mat_VarReadNextInfo(mat)) {
    variables.push_back({var->name != nullptr ? var->name : "", var->name != nullptr,
                         var->rank, var->isGlobal != 0});
    Mat_VarFree(var);
  }
  Mat_Close(mat);
  return variables;
}

std::vector<Described> readAll(const std::string &path, bool whole) {
  std::vector<Described> variables;
  for (const standin::ArrayPtr &array : readEachVariable(path, whole)) {
    variables.push_back({array->name, true, static_cast<int>(mxGetNumberOfDimensions_700(array.get())),
                         mxIsFromGlobalWS(array.get())});
  }
  return variables;
}

// Compares one variable; returns the faults of matio it met.
unsigned compare(const Described &ours, const Described &matio, unsigned faults) {
  unsigned met = 0;
  if (!matio.hasName && (faults & NoName)) {
    met |= NoName;
  } else {
    EXPECT_EQ(ours.name, matio.name);
  }
  if (matio.dimensions == 0 && (faults & NoDimensionsWhenUint32)) {
    met |= NoDimensionsWhenUint32;
  } else if (matio.dimensions > ours.dimensions && ours.dimensions >= 2 &&
             (faults & CountsTrailingSingletons)) {
    met |= CountsTrailingSingletons;
  } else {
    EXPECT_EQ(ours.dimensions, matio.dimensions) << ours.name;
  }
  EXPECT_EQ(ours.global, matio.global) << ours.name;
  return met;
}

// Compares every variable of the file at `path`, which is expected to meet
// exactly the matio faults `faults`.
void crossCheck(const std::string &path, unsigned faults) {
  std::vector<Described> matio = describeWithMatio(path);
  unsigned met = 0;
  if (!matio.empty() && matio.back().name.empty() && (faults & SubsystemDataAsVariable)) {
    matio.pop_back();
    met |= SubsystemDataAsVariable;
  }
  std::vector<std::string> directory = readDirectory(path).names;
  std::vector<Described> headers = readAll(path, false);
  std::vector<Described> contents = readAll(path, true);
  ASSERT_EQ(directory.size(), matio.size());
  ASSERT_EQ(headers.size(), matio.size());
  ASSERT_EQ(contents.size(), matio.size());
  for (size_t i = 0; i < matio.size(); ++i) {
    EXPECT_EQ(directory[i], headers[i].name);
    met |= compare(headers[i], matio[i], faults);
    met |= compare(contents[i], matio[i], faults);
  }
  EXPECT_EQ(met, faults) << "the matio faults met differ from those expected";
}

class MatioCrossCheck : public ::testing::TestWithParam<CrossCheck> {};

TEST_P(MatioCrossCheck, AgreesWhereMatioIsRight) {
  const CrossCheck &check = GetParam();
  std::string why = missingWriter(check.fixture.writer);
  if (!why.empty()) GTEST_SKIP() << why;
  ASSERT_TRUE(std::filesystem::exists(check.fixture.path)) << check.fixture.path;
  crossCheck(check.fixture.path, check.faults);
}

std::vector<CrossCheck> crossChecks(const std::vector<Fixture> &fixtures) {
  std::vector<CrossCheck> checks;
  for (const Fixture &fixture : fixtures) {
    bool trailing = fixture.id == "matio_v6_dimensions" || fixture.id == "matio_v7_dimensions";
    checks.push_back({fixture, trailing ? unsigned{CountsTrailingSingletons} : 0u});
  }
  return checks;
}

std::string checkName(const ::testing::TestParamInfo<CrossCheck> &info) {
  return info.param.fixture.id;
}

INSTANTIATE_TEST_SUITE_P(Matio, MatioCrossCheck,
                         ::testing::ValuesIn(crossChecks(matioFixtures())), checkName);
INSTANTIATE_TEST_SUITE_P(Octave, MatioCrossCheck,
                         ::testing::ValuesIn(crossChecks(octaveFixtures())), checkName);

// The forms other writers use, each of which meets one of matio's faults.
class MatioCrossCheckOfVariation : public ::testing::TestWithParam<FileVariation> {};

TEST_P(MatioCrossCheckOfVariation, AgreesWhereMatioIsRight) {
  if (!missingWriter("matio").empty()) GTEST_SKIP() << missingWriter("matio");
  const std::string variation = GetParam().name;
  unsigned faults = variation == "uint32_dimensions" ? NoDimensionsWhenUint32 | NoName
                    : variation == "utf8_names"      ? NoName
                                                     : SubsystemDataAsVariable;
  Fixture original = fixtureById("matio_v6_two_variables");
  ASSERT_TRUE(std::filesystem::exists(original.path)) << original.path << " was not written";
  ScratchDirectory scratch;
  std::string path = scratch.path() + "/" + variation + ".mat";
  writeFile(path, GetParam().vary(readFile(original.path)));
  crossCheck(path, faults);
}

INSTANTIATE_TEST_SUITE_P(OtherWriters, MatioCrossCheckOfVariation,
                         ::testing::ValuesIn(fileVariations()),
                         [](const ::testing::TestParamInfo<FileVariation> &info) {
                           return std::string(info.param.name);
                         });

}  // namespace
