// call_plugin run as a program: what it prints, on which stream, and its
// exit status, for plug-in results, plug-in errors, out of memory, inputs
// from MAT-files and malformed command lines.
#include <gtest/gtest.h>
#include <matio.h>

#include <string>
#include <vector>

#include "run_process.h"

namespace {

std::string scratch(const std::string &name) { return std::string(SCRATCH_DIR) + "/" + name; }

ProcessResult callPlugin(const std::vector<std::string> &arguments) {
  std::vector<std::string> argv{CALL_PLUGIN};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runProcess(argv);
}

std::string plugin(const std::string &name) { return std::string(PLUGIN_DIR) + "/" + name + ".mexa64"; }

struct RunCase {
  std::vector<std::string> arguments;
  int status;
  const char *out;
  const char *err;
};

TEST(CallPluginTest, CallsEachPluginAndReportsWhatItDid) {
  const std::string quenvor = plugin("quenvor"), vandrel = plugin("vandrel");
  const RunCase cases[] = {
      {{quenvor, "2", "[1 2 3]"}, 0, "out1 = [2 4 6]\n", ""},
      {{quenvor, "-2.5e3", "[1 -2]"}, 0, "out1 = [-2500 5000]\n", ""},
      {{quenvor, "--nargout=1", "3", "zeros(1,0)"}, 0, "out1 = zeros(1,0)\n", ""},
      {{quenvor, "NaN", "[Inf 1+2i]"}, 0, "out1 = [NaN NaN]\n", ""},
      {{"-n", "1", "--", quenvor, "5", "-Inf"}, 0, "out1 = -Inf\n", ""},
      {{quenvor, "-n", "0", "2", "[1 2]"}, 1, "", "Tessaly:quenvor:nlhs: One output required.\n"},
      {{quenvor, "2"}, 1, "", "Tessaly:quenvor:nrhs: Two inputs required.\n"},
      {{quenvor, "int32(7)", "[1 2]"}, 1, "", "Tessaly:quenvor:notScalar: Input multiplier must be a scalar.\n"},
      {{quenvor, "2", "[1;2]"}, 1, "", "Tessaly:quenvor:notRowVector: Input must be a row vector.\n"},
      {{vandrel, "-n", "0", "3", "4.5"}, 0,
       "\nThe initialized data in object:\nValue1 = 0\nValue2 = 0\n\n"
       "After setting the object's data to your input:\nValue1 = 3\nValue2 = 4.5\n\n",
       ""},
      {{vandrel, "3", "4.5"}, 1, "", "MATLAB:vandrel:nargout: VANDREL requires no output argument.\n"},
      {{vandrel, "-n", "0", "'a'", "1"}, 1, "", "MATLAB:vandrel:notDouble: VANDREL requires inputs of class double.\n"},
      {{plugin("failing_allocation"), "-n", "0"}, 1, "allocating\n", "call_plugin: out of memory\n"},
  };
  for (const RunCase &c : cases) {
    SCOPED_TRACE(joined(c.arguments));
    ProcessResult run = callPlugin(c.arguments);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
}

TEST(CallPluginTest, RefusesAWrongCommandLineWithStatusTwo) {
  const std::string quenvor = plugin("quenvor");
  const RunCase cases[] = {
      {{quenvor, "2", "[1 2"}, 2, "", "call_plugin: malformed literal '[1 2': ']' is missing at column 5\n"},
      {{quenvor, "2", "1 2"}, 2, "", "call_plugin: malformed literal '1 2': unexpected '2' after the value at column 3\n"},
      {{quenvor, "foo(1)", "2"}, 2, "", "call_plugin: malformed literal 'foo(1)': unknown function 'foo'\n"},
      {{quenvor, ""}, 2, "", "call_plugin: malformed literal '': a value is missing at column 1\n"},
      {{}, 2, "", "call_plugin: no plug-in file given\n"},
      {{"--bogus", quenvor}, 2, "", "call_plugin: unknown option --bogus\n"},
      {{quenvor, "-n"}, 2, "", "call_plugin: option -n needs a number\n"},
      {{quenvor, "-n", "x"}, 2, "", "call_plugin: the number of outputs must be a whole number from 0 to 9999, not 'x'\n"},
      {{quenvor, "-m", "nocolon"}, 2, "", "call_plugin: expected FILE:VARIABLE after -m, not 'nocolon'\n"},
      {{quenvor, "-m", scratch("absent.mat") + ":x"}, 2, "",
       "call_plugin: cannot open MAT-file " SCRATCH_DIR "/absent.mat\n"},
      {{scratch("absent.mexa64")}, 2, "", nullptr},
      {{std::string(CALL_PLUGIN)}, 2, "", nullptr},  // a file, but no plug-in
  };
  for (const RunCase &c : cases) {
    SCOPED_TRACE(joined(c.arguments));
    ProcessResult run = callPlugin(c.arguments);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    if (c.err != nullptr) {
      EXPECT_EQ(run.err, std::string(c.err) + "Try 'call_plugin --help'.\n");
    } else {
      EXPECT_NE(run.err.find("call_plugin: cannot load plug-in"), std::string::npos) << run.err;
    }
  }
}

TEST(CallPluginTest, HelpExplainsTheOptionsOutputAndExitStatus) {
  ProcessResult run = callPlugin({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  for (const char *part : {"Usage: call_plugin", "--nargout", "--from-mat=FILE:VAR", "zeros(1,0)",
                           "outK = LITERAL", "Exit status", "IDENTIFIER: MESSAGE", "out of memory",
                           "malformed literal"}) {
    EXPECT_NE(run.out.find(part), std::string::npos) << part;
  }
}

void writeMatFile(const std::string &path, mat_ft version) {
  mat_t *mat = Mat_CreateVer(path.c_str(), nullptr, version);
  ASSERT_NE(mat, nullptr);
  double row[] = {1, 2, 3}, multiplier[] = {4};
  size_t rowDims[] = {1, 3}, scalarDims[] = {1, 1};
  matvar_t *rowVar = Mat_VarCreate("row", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, rowDims, row, 0);
  matvar_t *kVar = Mat_VarCreate("k", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, scalarDims, multiplier, 0);
  ASSERT_EQ(Mat_VarWrite(mat, rowVar, MAT_COMPRESSION_NONE), 0);
  ASSERT_EQ(Mat_VarWrite(mat, kVar, MAT_COMPRESSION_NONE), 0);
  Mat_VarFree(rowVar);
  Mat_VarFree(kVar);
  Mat_Close(mat);
}

TEST(CallPluginTest, ReadsInputsFromMatFileVariablesInTheirPlace) {
  for (mat_ft version : {MAT_FT_MAT4, MAT_FT_MAT5}) {
    SCOPED_TRACE(version == MAT_FT_MAT4 ? "version 4" : "version 5");
    std::string file = scratch(version == MAT_FT_MAT4 ? "inputs4.mat" : "inputs5.mat");
    writeMatFile(file, version);
    ProcessResult run = callPlugin({plugin("quenvor"), "--from-mat=" + file + ":k", "-m", file + ":row"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "out1 = [4 8 12]\n");
    run = callPlugin({"-m", file + ":row", plugin("quenvor"), "0.5"});  // the file's row comes first
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Tessaly:quenvor:notScalar: Input multiplier must be a scalar.\n");
    run = callPlugin({plugin("quenvor"), "2", "-m", file + ":absent"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "call_plugin: MAT-file " + file +
                           " holds no readable variable named absent\nTry 'call_plugin --help'.\n");
  }
}

}  // namespace
