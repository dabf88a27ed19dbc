// The export and import tables of the Windows build: each plug-in exports
// its gateway alone under its exact name, every host operation crosses a DLL
// boundary by its C name, and nothing needs a DLL beyond the stand-in host's
// and the system's (the GCC runtime and the C++ library are linked in).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "pe_tables.h"
#include "windows_build.h"

namespace {

using Names = std::set<std::string>;

const Names &systemDlls() {
  static const Names dlls{"kernel32.dll", "msvcrt.dll"};
  return dlls;
}

// The host operations each stand-in DLL offers, by the names in host/.
const Names &libmxOperations() {
  static const Names names{"mxGetPr", "mxGetM", "mxGetN", "mxGetNumberOfElements", "mxIsDouble",
                           "mxIsComplex", "mxIsSparse", "mxGetScalar", "mxCreateDoubleMatrix_700",
                           "mxGetNumberOfDimensions_700", "mxIsFromGlobalWS", "mxDestroyArray",
                           "mxFree"};
  return names;
}
const Names &libmexOperations() {
  static const Names names{"mexErrMsgIdAndTxt", "mexPrintf"};
  return names;
}
const Names &libmatOperations() {
  static const Names names{"matOpen", "matClose", "matGetDir", "matGetNextVariableInfo",
                           "matGetNextVariable"};
  return names;
}

struct PeExpectation {
  const char *file;
  bool isDll;
  std::vector<std::string> exports;  // exactly these, when `exportsExactly`
  bool exportsExactly;
  // Host DLL -> names that must be imported from it.
  std::vector<std::pair<std::string, Names>> hostImports;
  // A deliverable imports nothing but host operations; the stand-in's own
  // DLLs and programs share its array builders, too.
  bool hostOperationsOnly;
};

void PrintTo(const PeExpectation &expectation, std::ostream *out) { *out << expectation.file; }

std::vector<PeExpectation> expectations() {
  std::vector<std::string> mx(libmxOperations().begin(), libmxOperations().end());
  std::vector<std::string> mex(libmexOperations().begin(), libmexOperations().end());
  std::vector<std::string> mat(libmatOperations().begin(), libmatOperations().end());
  return {
      {"libmx.dll", true, mx, false, {}, false},
      {"libmex.dll", true, mex, false, {{"libmx.dll", {}}}, false},
      {"libmat.dll", true, mat, false, {{"libmx.dll", {}}}, false},
      {"kestrum.exe", false, {}, true,
       {{"libmat.dll", libmatOperations()},
        {"libmx.dll", {"mxFree", "mxDestroyArray", "mxGetNumberOfDimensions_700", "mxIsFromGlobalWS"}}},
       true},
      {"vandrel.mexw32", true, {"mexFunction"}, true,
       {{"libmex.dll", {"mexErrMsgIdAndTxt", "mexPrintf"}}, {"libmx.dll", {"mxGetPr"}}},
       true},
      {"quenvor.mexw32", true, {"_mexFunction"}, true,
       {{"libmex.dll", {"mexErrMsgIdAndTxt"}},
        {"libmx.dll", {"mxGetPr", "mxGetM", "mxGetN", "mxGetNumberOfElements", "mxIsDouble",
                       "mxIsComplex", "mxGetScalar", "mxCreateDoubleMatrix_700"}}},
       true},
      {"call_plugin.exe", false, {}, true,
       {{"libmx.dll", {}}, {"libmex.dll", {}}, {"libmat.dll", {}}}, false},
  };
}

const Names &operationsOf(const std::string &dll) {
  static const Names none;
  if (dll == "libmx.dll") return libmxOperations();
  if (dll == "libmex.dll") return libmexOperations();
  if (dll == "libmat.dll") return libmatOperations();
  return none;
}

class PeFile : public ::testing::TestWithParam<PeExpectation> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(readPeTables(windowsBinary(GetParam().file), tables_, error)) << error;
  }
  PeTables tables_;
};

TEST_P(PeFile, Is32BitOfItsKind) {
  EXPECT_EQ(tables_.magic, "010b") << "not a PE32 (32-bit) image";
  EXPECT_EQ(tables_.isDll, GetParam().isDll);
  if (!GetParam().isDll) {
    EXPECT_EQ(tables_.subsystem, "Windows CUI");
  }
}

TEST_P(PeFile, ExportsItsOperationsByName) {
  const PeExpectation &expected = GetParam();
  if (expected.exportsExactly) {
    EXPECT_EQ(tables_.exports, expected.exports);
    return;
  }
  Names exported(tables_.exports.begin(), tables_.exports.end());
  for (const std::string &name : expected.exports) {
    EXPECT_EQ(exported.count(name), 1u) << name << " is not exported under its C name";
  }
}

TEST_P(PeFile, ImportsOnlyHostOperationsAndSystemDlls) {
  Names allowedDlls = systemDlls();
  for (const auto &[dll, required] : GetParam().hostImports) {
    allowedDlls.insert(dll);
    auto imported = tables_.imports.find(dll);
    ASSERT_NE(imported, tables_.imports.end()) << "nothing imported from " << dll;
    for (const std::string &name : required) {
      EXPECT_EQ(imported->second.count(name), 1u) << name << " not imported by name from " << dll;
    }
    for (const std::string &name : imported->second) {
      if (!GetParam().hostOperationsOnly) break;
      EXPECT_EQ(operationsOf(dll).count(name), 1u)
          << "imports " << name << " from " << dll << ", which is no host operation of it";
    }
  }
  for (const auto &[dll, names] : tables_.imports) {
    EXPECT_EQ(allowedDlls.count(dll), 1u) << "needs " << dll;
  }
}

INSTANTIATE_TEST_SUITE_P(WindowsBuild, PeFile, ::testing::ValuesIn(expectations()),
                         [](const ::testing::TestParamInfo<PeExpectation> &info) {
                           std::string name = info.param.file;
                           for (char &c : name) {
                             if (c == '.') c = '_';
                           }
                           return name;
                         });

}  // namespace
