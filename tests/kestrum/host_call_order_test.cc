// The order of kestrum's host calls, what it prints between them, and where
// it stops, against a fake host with scripted results.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnose_mat_file.h"
#include "fake_host.h"

// kestrum's main, compiled under this name into the test.
int kestrumMain(int argc, char *argv[]);

namespace {

using Events = std::vector<std::string>;

FakeScript twoVariables() {
  FakeScript script;
  script.directory = {"a", "b"};
  script.storedCount = 2;
  script.variables = {{"a", 2, false}, {"b", 3, true}};
  return script;
}

Events run(const FakeScript &script, int expectedStatus) {
  int status = -1;
  Events events = recordRun(script, [] { return diagnoseMatFile("x.mat"); }, status);
  EXPECT_EQ(status, expectedStatus);
  return events;
}

// A complete run over the two variables of twoVariables().
const Events completeRun = {
    "out:Reading file x.mat...\n\n",
    "matOpen(x.mat, r) -> F1",
    "matGetDir(F1) -> list",
    "out:Directory of x.mat:\na\nb\n",
    "mxFree(list)",
    "matClose(F1) -> 0",
    "matOpen(x.mat, r) -> F2",
    "out:\nExamining the header for each variable:\n",
    "matGetNextVariableInfo(F2) -> A1",
    "mxGetNumberOfDimensions_700(A1)",
    "out:According to its header, array a has 2 dimensions\n",
    "mxIsFromGlobalWS(A1)",
    "out:  and was a local variable when saved\n",
    "mxDestroyArray(A1)",
    "matGetNextVariableInfo(F2) -> A2",
    "mxGetNumberOfDimensions_700(A2)",
    "out:According to its header, array b has 3 dimensions\n",
    "mxIsFromGlobalWS(A2)",
    "out:  and was a global variable when saved\n",
    "mxDestroyArray(A2)",
    "matClose(F2) -> 0",
    "matOpen(x.mat, r) -> F3",
    "out:\nReading in the actual array contents:\n",
    "matGetNextVariable(F3) -> A3",
    "mxGetNumberOfDimensions_700(A3)",
    "out:According to its contents, array a has 2 dimensions\n",
    "mxIsFromGlobalWS(A3)",
    "out:  and was a local variable when saved\n",
    "mxDestroyArray(A3)",
    "matGetNextVariable(F3) -> A4",
    "mxGetNumberOfDimensions_700(A4)",
    "out:According to its contents, array b has 3 dimensions\n",
    "mxIsFromGlobalWS(A4)",
    "out:  and was a global variable when saved\n",
    "mxDestroyArray(A4)",
    "matClose(F3) -> 0",
    "out:Done\n",
};

TEST(HostCallOrder, CompleteRunFreesEachResultBeforeTheNextCall) {
  EXPECT_EQ(run(twoVariables(), 0), completeRun);
}

// One failing host call: the complete run up to that call, with its failed
// result, then the message, then nothing.
struct FailurePoint {
  const char *name;
  void (*script)(FakeScript &);
  const char *call;    // the call as it appears in the complete run
  const char *failed;  // the same call with the failed result
  const char *message;
};

void PrintTo(const FailurePoint &point, std::ostream *out) { *out << point.name; }

class HostFailure : public ::testing::TestWithParam<FailurePoint> {};

TEST_P(HostFailure, PrintsItsMessageAndCallsNothingMore) {
  const FailurePoint &point = GetParam();
  FakeScript script = twoVariables();
  point.script(script);
  Events expected;
  for (const std::string &event : completeRun) {
    if (event == point.call) break;
    expected.push_back(event);
  }
  ASSERT_LT(expected.size(), completeRun.size()) << point.call << " is not in the complete run";
  expected.push_back(point.failed);
  expected.push_back(std::string("out:") + point.message);
  EXPECT_EQ(run(script, 1), expected);
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, HostFailure,
    ::testing::Values(
        FailurePoint{"FirstOpen", [](FakeScript &s) { s.failingOpen = 1; },
                     "matOpen(x.mat, r) -> F1", "matOpen(x.mat, r) -> null",
                     "Error opening file x.mat\n"},
        FailurePoint{"Directory", [](FakeScript &s) { s.directoryIsNull = true; },
                     "matGetDir(F1) -> list", "matGetDir(F1) -> null",
                     "Error reading directory of file x.mat\n"},
        FailurePoint{"DirectoryWithCountZero",
                     [](FakeScript &s) {
                       s.directoryIsNull = true;
                       s.storedCount = 0;
                     },
                     "matGetDir(F1) -> list", "matGetDir(F1) -> null",
                     "Error reading directory of file x.mat\n"},
        FailurePoint{"DirectoryWithCountFive",
                     [](FakeScript &s) {
                       s.directoryIsNull = true;
                       s.storedCount = 5;
                     },
                     "matGetDir(F1) -> list", "matGetDir(F1) -> null",
                     "Error reading directory of file x.mat\n"},
        FailurePoint{"FirstClose", [](FakeScript &s) { s.failingClose = 1; },
                     "matClose(F1) -> 0", "matClose(F1) -> -1", "Error closing file x.mat\n"},
        FailurePoint{"SecondOpen", [](FakeScript &s) { s.failingOpen = 2; },
                     "matOpen(x.mat, r) -> F2", "matOpen(x.mat, r) -> null",
                     "Error reopening file x.mat\n"},
        FailurePoint{"FirstHeaderRead",
                     [](FakeScript &s) {
                       s.nullReadOpen = 2;
                       s.nullReadIndex = 0;
                     },
                     "matGetNextVariableInfo(F2) -> A1", "matGetNextVariableInfo(F2) -> null",
                     "Error reading in file x.mat\n"},
        FailurePoint{"SecondHeaderRead",
                     [](FakeScript &s) {
                       s.nullReadOpen = 2;
                       s.nullReadIndex = 1;
                     },
                     "matGetNextVariableInfo(F2) -> A2", "matGetNextVariableInfo(F2) -> null",
                     "Error reading in file x.mat\n"},
        FailurePoint{"SecondClose", [](FakeScript &s) { s.failingClose = 2; },
                     "matClose(F2) -> 0", "matClose(F2) -> -1", "Error closing file x.mat\n"},
        FailurePoint{"ThirdOpen", [](FakeScript &s) { s.failingOpen = 3; },
                     "matOpen(x.mat, r) -> F3", "matOpen(x.mat, r) -> null",
                     "Error reopening file x.mat\n"},
        FailurePoint{"FirstContentsRead",
                     [](FakeScript &s) {
                       s.nullReadOpen = 3;
                       s.nullReadIndex = 0;
                     },
                     "matGetNextVariable(F3) -> A3", "matGetNextVariable(F3) -> null",
                     "Error reading in file x.mat\n"},
        FailurePoint{"SecondContentsRead",
                     [](FakeScript &s) {
                       s.nullReadOpen = 3;
                       s.nullReadIndex = 1;
                     },
                     "matGetNextVariable(F3) -> A4", "matGetNextVariable(F3) -> null",
                     "Error reading in file x.mat\n"},
        FailurePoint{"ThirdClose", [](FakeScript &s) { s.failingClose = 3; },
                     "matClose(F3) -> 0", "matClose(F3) -> -1", "Error closing file x.mat\n"}),
    [](const ::testing::TestParamInfo<FailurePoint> &info) {
      return std::string(info.param.name);
    });

// The run of a directory that lists no names under its headings.
Events runWithoutReads(const char *directoryOutput) {
  return {
      "out:Reading file x.mat...\n\n", "matOpen(x.mat, r) -> F1", "matGetDir(F1) -> list",
      std::string("out:") + directoryOutput, "mxFree(list)", "matClose(F1) -> 0",
      "matOpen(x.mat, r) -> F2", "out:\nExamining the header for each variable:\n",
      "matClose(F2) -> 0", "matOpen(x.mat, r) -> F3",
      "out:\nReading in the actual array contents:\n", "matClose(F3) -> 0", "out:Done\n"};
}

TEST(HostCallOrder, CountOfZeroOrLessGivesNoNamesAndNoReads) {
  FakeScript script = twoVariables();
  for (int count : {0, -1}) {
    SCOPED_TRACE("count " + std::to_string(count));
    script.storedCount = count;
    EXPECT_EQ(run(script, 0), runWithoutReads("Directory of x.mat:\n"));
  }
  script.directory.clear();
  script.storedCount = 0;
  EXPECT_EQ(run(script, 0), runWithoutReads("Directory of x.mat:\n"));
}

TEST(HostCallOrder, CountSetsTheNumberOfReadsWhateverTheFileHolds) {
  FakeScript script = twoVariables();
  script.variables.push_back({"c", 2, false});  // the file would yield a third
  Events events = run(script, 0);
  EXPECT_EQ(events, completeRun);

  script = twoVariables();
  script.directory = {"a", "b", "c"};
  script.storedCount = 3;  // but the file yields only two
  events = run(script, 1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "out:Error reading in file x.mat\n");
  EXPECT_EQ(events[events.size() - 2], "matGetNextVariableInfo(F2) -> null");
  EXPECT_EQ(std::count(events.begin(), events.end(), "mxDestroyArray(A2)"), 1);
}

TEST(HostCallOrder, PassesPrintTheNameEachReadReturns) {
  FakeScript script = twoVariables();
  script.variables = {{"p", 2, false}, {"q", 3, true}};
  Events events = run(script, 0);
  std::string printed;
  for (const std::string &event : events) printed += event;
  EXPECT_NE(printed.find("out:Directory of x.mat:\na\nb\n"), std::string::npos);
  for (const char *line : {"array p has 2", "array q has 3"}) {
    EXPECT_NE(printed.find(std::string("out:According to its header, ") + line),
              std::string::npos);
    EXPECT_NE(printed.find(std::string("out:According to its contents, ") + line),
              std::string::npos);
  }
  EXPECT_EQ(printed.find("array a has"), std::string::npos);
}

// main with the given arguments after the program name.
Events runMain(const FakeScript &script, std::vector<std::string> arguments, int expectedStatus) {
  arguments.insert(arguments.begin(), "kestrum");
  std::vector<char *> argv;
  for (std::string &argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  int status = -1;
  Events events = recordRun(
      script, [&] { return kestrumMain(static_cast<int>(arguments.size()), argv.data()); },
      status);
  EXPECT_EQ(status, expectedStatus);
  return events;
}

TEST(MainCalls, NoArgumentPrintsTheUsageAndCallsNoHost) {
  EXPECT_EQ(runMain(twoVariables(), {}, 0),
            Events{"out:Usage: kestrum <matfile> where <matfile> is the name of the MAT-file "
                   "to be diagnosed\n"});
}

TEST(MainCalls, DiagnosesTheFirstArgumentOnly) {
  EXPECT_EQ(runMain(twoVariables(), {"x.mat", "y.mat"}, 0), completeRun);
}

TEST(MainCalls, FailureGivesStatusOne) {
  FakeScript script = twoVariables();
  script.failingClose = 3;
  Events events = runMain(script, {"x.mat"}, 1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "out:Error closing file x.mat\n");
}

}  // namespace
