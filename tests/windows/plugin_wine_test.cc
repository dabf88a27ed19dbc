// The plug-ins and the command-line host built for Windows, run under Wine:
// every call gives the Linux call_plugin's outputs, identifiers, messages
// and exit status, with each line ending in CR LF. The calls are those of
// the shared case tables in tests/plugin_cases, which other hosts run too.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "windows_build.h"

namespace {

struct PluginCall {
  std::string plugin;  // "vandrel" or "quenvor"
  std::vector<std::string> options;
  std::vector<std::string> inputs;
  int status;  // what both hosts must end with; -1: a result or an error (0 or 1)
};

std::string joined(const PluginCall &call) {
  std::string text;
  for (const std::string &option : call.options) text += option + " ";
  text += call.plugin;
  for (const std::string &input : call.inputs) text += " " + input;
  return text;
}

std::vector<std::string> commandLine(const std::string &host, const std::string &pluginFile,
                                     const PluginCall &call) {
  std::vector<std::string> argv{host};
  argv.insert(argv.end(), call.options.begin(), call.options.end());
  argv.push_back("--");
  argv.push_back(pluginFile);
  argv.insert(argv.end(), call.inputs.begin(), call.inputs.end());
  return argv;
}

bool endedAs(const ProcessResult &run, int status) {
  if (!run.exited) return false;
  return status >= 0 ? run.status == status : run.status == 0 || run.status == 1;
}

::testing::AssertionResult sameAsOnLinux(const PluginCall &call) {
  ProcessResult onLinux = runProcess(commandLine(
      LINUX_CALL_PLUGIN, std::string(LINUX_PLUGIN_DIR) + "/" + call.plugin + ".mexa64", call));
  if (!endedAs(onLinux, call.status)) {
    return ::testing::AssertionFailure() << joined(call) << ": Linux call_plugin " << describe(onLinux);
  }
  std::vector<std::string> argv = commandLine("", windowsBinary(call.plugin + ".mexw32"), call);
  argv.erase(argv.begin());
  ProcessResult onWindows = runUnderWine(windowsBinary("call_plugin.exe"), argv);
  if (!onWindows.exited || onWindows.status != onLinux.status) {
    return ::testing::AssertionFailure()
           << joined(call) << ": call_plugin.exe " << describe(onWindows) << "; on Linux "
           << describe(onLinux);
  }
  if (onWindows.out != withCrlf(onLinux.out) || onWindows.err != withCrlf(onLinux.err)) {
    return ::testing::AssertionFailure()
           << joined(call) << ": call_plugin.exe wrote [" << onWindows.out << "] and on stderr ["
           << onWindows.err << "]; on Linux [" << onLinux.out << "] and [" << onLinux.err << "]";
  }
  return ::testing::AssertionSuccess();
}

// The lines of a case table that are neither comments nor empty.
std::vector<std::string> tableLines(const std::string &fileName) {
  std::ifstream in(std::string(PLUGIN_CASES_DIR) + "/" + fileName);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> splitAt(const std::string &text, const std::string &separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos;
       start = at + separator.size()) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// "PLUGIN NARGOUT | INPUT | ... => OUTCOME" of calls.txt; an outcome
// "error ..." ends the call with status 1, any other with 0.
bool parseCall(const std::string &line, PluginCall &call) {
  size_t arrow = line.find(" => ");
  if (arrow == std::string::npos) return false;
  std::vector<std::string> parts = splitAt(line.substr(0, arrow), " | ");
  size_t space = parts[0].find(' ');
  if (space == std::string::npos) return false;
  call.plugin = parts[0].substr(0, space);
  call.options = {"-n", parts[0].substr(space + 1)};
  call.inputs.assign(parts.begin() + 1, parts.end());
  call.status = line.compare(arrow + 4, 6, "error ") == 0 ? 1 : 0;
  return true;
}

class PluginUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wineUnavailable().empty()) GTEST_SKIP() << wineUnavailable();
  }

  static void runCallTable(const std::string &plugin) {
    std::vector<std::string> lines = tableLines("calls.txt");
    ASSERT_FALSE(lines.empty()) << "no calls in " PLUGIN_CASES_DIR "/calls.txt";
    int calls = 0;
    for (const std::string &line : lines) {
      PluginCall call;
      ASSERT_TRUE(parseCall(line, call)) << "malformed case: " << line;
      if (call.plugin != plugin) continue;
      ++calls;
      EXPECT_TRUE(sameAsOnLinux(call));
    }
    EXPECT_GT(calls, 0) << "no calls of " << plugin;
  }
};

TEST_F(PluginUnderWine, VandrelCaseTableAsOnLinux) { runCallTable("vandrel"); }
TEST_F(PluginUnderWine, QuenvorCaseTableAsOnLinux) { runCallTable("quenvor"); }

// Every kind of array of input_kinds.txt in one input of one plug-in, the
// other input a plain value.
struct InputPosition {
  const char *name;
  const char *plugin;
  const char *nargout;
  std::vector<std::string> (*inputs)(const std::string &kind);
};

void PrintTo(const InputPosition &position, std::ostream *out) { *out << position.name; }

class InputKindUnderWine : public PluginUnderWine,
                           public ::testing::WithParamInterface<InputPosition> {};

TEST_P(InputKindUnderWine, AsOnLinux) {
  std::vector<std::string> kinds = tableLines("input_kinds.txt");
  ASSERT_FALSE(kinds.empty()) << "no inputs in " PLUGIN_CASES_DIR "/input_kinds.txt";
  const InputPosition &position = GetParam();
  for (const std::string &kind : kinds) {
    EXPECT_TRUE(sameAsOnLinux({position.plugin, {"-n", position.nargout}, position.inputs(kind), -1}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, InputKindUnderWine,
    ::testing::Values(
        InputPosition{"vandrel_first", "vandrel", "0",
                      [](const std::string &kind) { return std::vector<std::string>{kind, "1"}; }},
        InputPosition{"vandrel_second", "vandrel", "0",
                      [](const std::string &kind) { return std::vector<std::string>{"1", kind}; }},
        InputPosition{"quenvor_multiplier", "quenvor", "1",
                      [](const std::string &kind) { return std::vector<std::string>{kind, "[1 2 3]"}; }},
        InputPosition{"quenvor_row", "quenvor", "1",
                      [](const std::string &kind) { return std::vector<std::string>{"2", kind}; }}),
    [](const ::testing::TestParamInfo<InputPosition> &info) { return std::string(info.param.name); });

// The host's own command line: malformed literals and options, help.
TEST_F(PluginUnderWine, HostCommandLineAsOnLinux) {
  for (const PluginCall &call : {PluginCall{"quenvor", {}, {"2", "[1 2"}, 2},
                                 PluginCall{"quenvor", {}, {"2", "zeros(1.5,2)"}, 2},
                                 PluginCall{"quenvor", {"--nargout=x"}, {"2", "[1]"}, 2},
                                 PluginCall{"quenvor", {"--help"}, {}, 0}}) {
    EXPECT_TRUE(sameAsOnLinux(call));
  }
}

// An input read from a MAT-file goes through the Windows build's libmat
// (compressed, so through its zlib too).
TEST_F(PluginUnderWine, InputFromMatFileAsOnLinux) {
  std::string file = std::string(MAT_FIXTURE_DIR) + "/matio_v7_three_variables.mat";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " was not written (matio missing)";
  EXPECT_TRUE(sameAsOnLinux({"quenvor", {"-m", file + ":first"}, {"[1 2 3]"}, 0}));
  EXPECT_TRUE(sameAsOnLinux({"quenvor", {"-m", file + ":second"}, {"2"}, 1}));
  EXPECT_TRUE(sameAsOnLinux({"quenvor", {"-m", file + ":missing"}, {"2"}, 2}));
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
