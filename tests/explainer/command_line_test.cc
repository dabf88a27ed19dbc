// kestrum-explain run as a program: its command line, --help and --version,
// files it cannot examine, and the salvage targets it refuses before
// examining anything (FILE itself by any path, an existing file without
// --force), leaving every file as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "files.h"
#include "project_version.h"
#include "run_process.h"

namespace {

ProcessResult explain(const std::vector<std::string> &arguments) {
  std::vector<std::string> argv{KESTRUM_EXPLAIN};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runProcess(argv);
}

struct Refusal {
  std::vector<std::string> arguments;
  std::string message;  // standard error, without the "kestrum-explain: " before it
};

void expectRefused(const Refusal &refusal) {
  SCOPED_TRACE(joined(refusal.arguments));
  const ProcessResult run = explain(refusal.arguments);
  EXPECT_TRUE(run.exited) << describe(run);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "kestrum-explain: " + refusal.message);
}

TEST(ExplainCommandLineTest, RefusesAWrongCommandLineWithStatusTwo) {
  const std::string tryHelp = "\nTry 'kestrum-explain --help'.\n";
  const Refusal refusals[] = {
      {{}, "no MAT-file given" + tryHelp},
      {{"--json"}, "no MAT-file given" + tryHelp},
      {{"--bogus", "a.mat"}, "unknown option --bogus" + tryHelp},
      {{"-x", "a.mat"}, "unknown option -x" + tryHelp},
      {{"a.mat", "b.mat"}, "one FILE at a time: 'a.mat' and 'b.mat' given" + tryHelp},
      {{"a.mat", "--", "--json"}, "one FILE at a time: 'a.mat' and '--json' given" + tryHelp},
      {{"a.mat", "--salvage"}, "option --salvage needs a file to write" + tryHelp},
      {{"a.mat", "--salvage="}, "option --salvage needs a file to write, not an empty name" + tryHelp},
      {{"a.mat", "--force"}, "--force applies only with --salvage" + tryHelp},
      {{"a\x1b[2Jb.mat", "c.mat"}, "one FILE at a time: 'a\\x1b[2Jb.mat' and 'c.mat' given" + tryHelp},
  };
  for (const Refusal &refusal : refusals) expectRefused(refusal);
}

TEST(ExplainCommandLineTest, HelpAndVersion) {
  const ProcessResult help = explain({"--json", "--help"});
  EXPECT_EQ(help.status, 0) << describe(help);
  EXPECT_EQ(help.out.rfind("Usage: kestrum-explain [OPTIONS] FILE\n", 0), 0u) << help.out;
  for (const char *option : {"\n  --json ", "\n  --salvage=OUT, --salvage OUT\n", "\n  --force ", "\n  -h, --help ",
                             "\n  --version ", "\nExit status:\n  0 "}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const ProcessResult version = explain({"--version"});
  EXPECT_EQ(version.status, 0) << describe(version);
  EXPECT_EQ(version.out, "kestrum-explain " PROJECT_VERSION_TEXT "\n" PROJECT_LICENCE_TEXT);
  EXPECT_NE(version.out.find("MIT License"), std::string::npos);
}

// Files that are not there or not MAT-files: status 2, the file named.
TEST(ExplainCommandLineTest, AFileThatCannotBeExaminedIsStatusTwo) {
  ScratchDirectory scratch;
  const std::string text = scratch.path() + "/notes.txt";
  writeFile(text, "not a MAT-file at all, just some words that run on past the header's length of 128 bytes, "
                  "so that only what they say makes them no MAT-file.\n");
  const std::string out = scratch.path() + "/out.mat";
  for (const std::string &file : {scratch.path() + "/absent.mat", text, scratch.path()}) {
    const std::vector<std::string> commandLines[] = {{file}, {"--json", file}, {file, "--salvage", out, "--force"}};
    for (const std::vector<std::string> &arguments : commandLines) {
      SCOPED_TRACE(joined(arguments));
      const ProcessResult run = explain(arguments);
      EXPECT_EQ(run.status, 2) << describe(run);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err.rfind("kestrum-explain: " + file + ": ", 0), 0u) << run.err;
    }
  }
  EXPECT_FALSE(std::ifstream(out).good()) << "a salvage was written for no MAT-file";
}

TEST(ExplainCommandLineTest, RefusesToSalvageIntoTheFileItselfOrAnExistingFile) {
  ScratchDirectory scratch;
  const std::string dir = scratch.path();
  const std::string file = dir + "/in.mat", other = dir + "/other.mat";
  const std::string fileBytes(300, 'm'), otherBytes = "keep me";
  writeFile(file, fileBytes);
  writeFile(other, otherBytes);
  ASSERT_EQ(link(file.c_str(), (dir + "/hard.mat").c_str()), 0);
  ASSERT_EQ(symlink("in.mat", (dir + "/soft.mat").c_str()), 0);
  ASSERT_EQ(symlink("nowhere.mat", (dir + "/dangling.mat").c_str()), 0);
  ASSERT_EQ(chdir(dir.c_str()), 0);

  const std::string itself = ": it is the file examined\n";
  const std::string exists = ": it exists (--force writes over it)\n";
  const Refusal refusals[] = {
      {{file, "--salvage", file}, "will not salvage into " + file + itself},
      {{file, "--salvage=" + file, "--force"}, "will not salvage into " + file + itself},
      {{"in.mat", "--salvage", dir + "/./in.mat", "--force"}, "will not salvage into " + dir + "/./in.mat" + itself},
      {{file, "--salvage", "hard.mat", "--force"}, "will not salvage into hard.mat" + itself},
      {{"soft.mat", "--json", "--salvage", "in.mat", "--force"}, "will not salvage into in.mat" + itself},
      {{file, "--salvage", other}, "will not salvage into " + other + exists},
      {{file, "--json", "--salvage", "dangling.mat"}, "will not salvage into dangling.mat" + exists},
  };
  for (const Refusal &refusal : refusals) expectRefused(refusal);
  EXPECT_EQ(readFile(file), fileBytes);
  EXPECT_EQ(readFile(other), otherBytes);
  EXPECT_FALSE(std::ifstream(dir + "/nowhere.mat").good());
}

}  // namespace
