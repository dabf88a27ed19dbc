// The plug-ins and the command-line host built for Windows, run under Wine:
// every call gives the Linux call_plugin's outputs, identifiers, messages
// and exit status, with each line ending in CR LF.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "windows_build.h"

namespace {

struct PluginCall {
  const char *plugin;  // "vandrel" or "quenvor"
  std::vector<std::string> arguments;
  int status;  // what both hosts must end with
};

std::string joined(const PluginCall &call) {
  std::string text = call.plugin;
  for (const std::string &argument : call.arguments) text += " " + argument;
  return text;
}

// CTest keeps this text in its test names, and lists of test names in CMake
// must not hold brackets or semicolons: the arguments are in the failure
// messages instead.
void PrintTo(const PluginCall &call, std::ostream *out) {
  *out << call.plugin << " with " << call.arguments.size() << " arguments";
}

::testing::AssertionResult sameAsOnLinux(const PluginCall &call) {
  std::vector<std::string> linuxArgv{LINUX_CALL_PLUGIN,
                                     std::string(LINUX_PLUGIN_DIR) + "/" + call.plugin + ".mexa64"};
  std::vector<std::string> windowsArgv{windowsBinary(std::string(call.plugin) + ".mexw32")};
  for (const std::string &argument : call.arguments) {
    linuxArgv.push_back(argument);
    windowsArgv.push_back(argument);
  }
  ProcessResult onLinux = runProcess(linuxArgv);
  if (!onLinux.exited || onLinux.status != call.status) {
    return ::testing::AssertionFailure() << joined(call) << ": Linux call_plugin " << describe(onLinux);
  }
  ProcessResult onWindows = runUnderWine(windowsBinary("call_plugin.exe"), windowsArgv);
  if (!onWindows.exited || onWindows.status != call.status) {
    return ::testing::AssertionFailure() << joined(call) << ": call_plugin.exe " << describe(onWindows);
  }
  if (onWindows.out != withCrlf(onLinux.out) || onWindows.err != withCrlf(onLinux.err)) {
    return ::testing::AssertionFailure()
           << joined(call) << ": call_plugin.exe wrote [" << onWindows.out << "] and on stderr [" << onWindows.err
           << "]; on Linux [" << onLinux.out << "] and [" << onLinux.err << "]";
  }
  return ::testing::AssertionSuccess();
}

// Test names from the arguments: letters and digits kept, the rest as "_",
// behind the case's index, which keeps them unique.
std::string callName(const ::testing::TestParamInfo<PluginCall> &info) {
  std::string name = std::to_string(info.index);
  for (const std::string &argument : info.param.arguments) {
    name += '_';
    for (char c : argument) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  }
  return name;
}

class PluginUnderWine : public ::testing::TestWithParam<PluginCall> {
 protected:
  void SetUp() override {
    if (!wineUnavailable().empty()) GTEST_SKIP() << wineUnavailable();
  }
};

TEST_P(PluginUnderWine, AsOnLinux) { EXPECT_TRUE(sameAsOnLinux(GetParam())); }

// vandrel: its text, %g forms, the first element (real part) of larger or
// complex inputs, and each check in its order.
INSTANTIATE_TEST_SUITE_P(
    Vandrel, PluginUnderWine,
    ::testing::Values(
        PluginCall{"vandrel", {"-n", "0", "3", "4.5"}, 0},
        PluginCall{"vandrel", {"-n", "0", "1e10", "[1e-300 2]"}, 0},
        PluginCall{"vandrel", {"-n", "0", "[7 8 9]", "[1;2]"}, 0},
        PluginCall{"vandrel", {"-n", "0", "1+2i", "complex(-0.5, 3)"}, 0},
        PluginCall{"vandrel", {"-n", "0", "NaN", "-Inf"}, 0},
        PluginCall{"vandrel", {"-n", "0", "5"}, 1},
        PluginCall{"vandrel", {"3", "4.5"}, 1},
        PluginCall{"vandrel", {"-n", "0", "'a'", "1"}, 1},
        PluginCall{"vandrel", {"-n", "0", "int32(7)", "1"}, 1},
        PluginCall{"vandrel", {"-n", "0", "1", "sparse([1 0])"}, 1},
        PluginCall{"vandrel", {"-n", "0", "[]", "1"}, 1},
        PluginCall{"vandrel", {"-n", "0", "zeros(1,0)", "1"}, 1}),
    callName);

// quenvor: results (empty, one element, NaN and Inf, a complex row's real
// parts) and each check in its order.
INSTANTIATE_TEST_SUITE_P(
    Quenvor, PluginUnderWine,
    ::testing::Values(
        PluginCall{"quenvor", {"5", "[1 2 3]"}, 0},
        PluginCall{"quenvor", {"2", "[1 2 3]"}, 0},
        PluginCall{"quenvor", {"3", "zeros(1,0)"}, 0},
        PluginCall{"quenvor", {"-2.5e3", "7"}, 0},
        PluginCall{"quenvor", {"NaN", "[Inf 1+2i]"}, 0},
        PluginCall{"quenvor", {"1e100", "[1 NaN -Inf 0.1]"}, 0},
        PluginCall{"quenvor", {"2", "[1+2i 3-4i]"}, 0},
        PluginCall{"quenvor", {"2"}, 1},
        PluginCall{"quenvor", {"-n", "0", "2", "[1 2]"}, 1},
        PluginCall{"quenvor", {"-n", "2", "2", "[1 2]"}, 1},
        PluginCall{"quenvor", {"[1 2]", "[1 2]"}, 1},
        PluginCall{"quenvor", {"1+2i", "[1 2]"}, 1},
        PluginCall{"quenvor", {"int32(7)", "[1 2]"}, 1},
        PluginCall{"quenvor", {"2", "[1;2]"}, 1},
        PluginCall{"quenvor", {"sparse(2)", "[1 2]"}, 1},
        PluginCall{"quenvor", {"2", "int8([1 2])"}, 1},
        PluginCall{"quenvor", {"2", "sparse([1 0 3])"}, 1}),
    callName);

// The host's own command line: malformed literals, help.
INSTANTIATE_TEST_SUITE_P(Host, PluginUnderWine,
                         ::testing::Values(PluginCall{"quenvor", {"2", "[1 2"}, 2},
                                           PluginCall{"quenvor", {"2", "zeros(-1,2)"}, 2},
                                           PluginCall{"quenvor", {"--nargout=x", "2", "[1]"}, 2},
                                           PluginCall{"quenvor", {"--help"}, 0}),
                         callName);

// An input read from a MAT-file goes through the Windows build's libmat
// (compressed, so through its zlib too).
TEST_F(PluginUnderWine, InputFromMatFileAsOnLinux) {
  std::string file = std::string(MAT_FIXTURE_DIR) + "/matio_v7_three_variables.mat";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " was not written (matio missing)";
  EXPECT_TRUE(sameAsOnLinux({"quenvor", {"-m", file + ":first", "[1 2 3]"}, 0}));
  EXPECT_TRUE(sameAsOnLinux({"quenvor", {"2", "-m", file + ":second"}, 1}));
  EXPECT_TRUE(sameAsOnLinux({"quenvor", {"2", "-m", file + ":missing"}, 2}));
}

// Files the Windows loader refuses: the reason is the system's, the rest as
// on Linux.
TEST_F(PluginUnderWine, UnloadablePluginsAreRefused) {
  struct Refusal {
    std::string path;
    std::string error;
  };
  std::string missing = windowsBinary("missing.mexw32");
  std::string noGateway = windowsBinary("libmx.dll");
  for (const Refusal &refusal :
       {Refusal{missing, "call_plugin: cannot load plug-in " + missing + ": "},
        Refusal{noGateway, "call_plugin: plug-in " + noGateway +
                               " exports neither mexFunction nor _mexFunction\r\n"}}) {
    SCOPED_TRACE(refusal.path);
    ProcessResult run = runUnderWine(windowsBinary("call_plugin.exe"), {refusal.path, "1", "2"});
    EXPECT_TRUE(run.exited && run.status == 2) << describe(run);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(refusal.error, 0), 0u) << run.err;
    EXPECT_NE(run.err.find("\r\nTry 'call_plugin --help'.\r\n"), std::string::npos) << run.err;
  }
}

}  // namespace
