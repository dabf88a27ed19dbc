#include "fixture_files.h"

#include <gtest/gtest.h>

#include "matio_fixture_catalog.h"

namespace {

using fixtures::Version;

// Dimension count as the host reports it: trailing singletons beyond the
// second are not counted.
int reportedDimensions(const std::vector<size_t> &dims) {
  size_t count = dims.size();
  while (count > 2 && dims[count - 1] == 1) --count;
  return static_cast<int>(count);
}

std::string fixturePath(const std::string &fileName) {
  return std::string(MAT_FIXTURE_DIR) + "/" + fileName;
}

std::string stem(const std::string &fileName) {
  return fileName.substr(0, fileName.rfind('.'));
}

Fixture matioFixture(Version version, const fixtures::FileFixture &file) {
  std::string name = fixtures::fixtureFileName(version, file);
  Fixture fixture{stem(name), "matio", fixturePath(name), {}};
  for (const fixtures::VariableFixture &variable : file.variables) {
    // Version 4 has neither a global flag nor more than two dimensions.
    bool v4 = version == Version::V4;
    fixture.variables.push_back(
        {variable.name, v4 ? 2 : reportedDimensions(variable.dims), !v4 && variable.global});
  }
  return fixture;
}

struct OctaveGroup {
  std::string group;
  std::vector<std::string> formats;
  std::vector<ReportVariable> variables;
};

ReportVariable local2(const char *name) { return {name, 2, false}; }

// What write_octave_fixtures.m saves. Octave keeps only the first page of an
// N-d array in version 4, hence "cube" with 2 dimensions there.
std::vector<OctaveGroup> octaveGroups() {
  return {
      {"two_variables", {"v4", "v6", "v7"}, {local2("a"), local2("b")}},
      {"three_variables", {"v4", "v6", "v7"}, {local2("first"), local2("second"), local2("third")}},
      {"globals", {"v6", "v7"}, {{"g1", 2, true}, local2("l1"), {"g2", 3, true}}},
      {"dimensions",
       {"v6", "v7"},
       {{"cube", 3, false}, {"four_d", 4, false}, {"five_d", 5, false}, local2("trailing_one")}},
      {"version4_classes",
       {"v4"},
       {local2("dbl"), local2("sgl"), local2("txt"), local2("cplx"), local2("sprs"),
        local2("empty"), local2("cube")}},
      {"every_class",
       {"v6", "v7"},
       {local2("dbl"), local2("sgl"), local2("i8"), local2("u8"), local2("i16"),
        {"u16", 3, false}, local2("i32"), local2("u32"), local2("i64"), {"u64", 3, false},
        local2("flags"), local2("txt"), local2("cplx"), local2("scplx"), local2("sprs"),
        local2("sbool"), local2("cells"), local2("record"), local2("empty"),
        local2("empty_text")}},
  };
}

}  // namespace

std::string missingWriter(const std::string &writer) {
  if (writer == "matio" && !HAVE_MATIO_FIXTURES) {
    return "matio (pkg-config matio) was not found when the build was configured";
  }
  if (writer == "octave" && !HAVE_OCTAVE_FIXTURES) {
    return "octave-cli was not found when the build was configured";
  }
  return "";
}

std::vector<Fixture> matioFixtures() {
  std::vector<Fixture> list;
  for (const fixtures::FileFixture &file : fixtures::matioCatalog()) {
    for (Version version : {Version::V4, Version::V6, Version::V7}) {
      if (version != Version::V4 || file.inVersion4) list.push_back(matioFixture(version, file));
    }
  }
  return list;
}

std::vector<Fixture> octaveFixtures() {
  std::vector<Fixture> list;
  for (const OctaveGroup &group : octaveGroups()) {
    for (const std::string &format : group.formats) {
      std::string name = "octave_" + format + "_" + group.group + ".mat";
      list.push_back({stem(name), "octave", fixturePath(name), group.variables});
    }
  }
  return list;
}

Fixture fixtureById(const std::string &id) {
  for (const std::vector<Fixture> &list : {matioFixtures(), octaveFixtures()}) {
    for (const Fixture &fixture : list) {
      if (fixture.id == id) return fixture;
    }
  }
  ADD_FAILURE() << "no fixture " << id;
  return {};
}

std::string kestrumPath() { return KESTRUM_PATH; }
