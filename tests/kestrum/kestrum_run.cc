#include "kestrum_run.h"

#include <algorithm>

#include "expected_report.h"
#include "fixture_files.h"

ProcessResult runKestrum(const std::vector<std::string> &arguments, int timeoutSeconds,
                         LeakCheck leaks) {
  std::vector<std::string> argv{kestrumPath()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ProcessOptions options;
  // Whatever options this process was given, the child's are these.
  options.environment = {"ASAN_OPTIONS=detect_leaks=1",
                         leaks == LeakCheck::AllButAnOpenFile
                             ? "LSAN_OPTIONS=print_suppressions=0:suppressions=" OPEN_FILE_SUPPRESSIONS
                             : "LSAN_OPTIONS="};
  options.timeoutSeconds = timeoutSeconds;
  return runProcess(argv, options);
}

::testing::AssertionResult ranWith(const ProcessResult &result, int status,
                                   const std::string &out) {
  if (!result.exited || result.status != status || !result.err.empty()) {
    return ::testing::AssertionFailure()
           << "expected exit status " << status << ", " << describe(result)
           << "\nstdout:\n" << result.out;
  }
  if (result.out != out) {
    return ::testing::AssertionFailure() << "stdout:\n" << result.out << "\nexpected:\n" << out;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult failedCleanly(const ProcessResult &result,
                                         const std::string &fileName) {
  std::vector<std::string> messages = failureLines(fileName);
  std::string opening = reportOpening(fileName);
  bool endsWithMessage =
      std::find(messages.begin(), messages.end(), lastLine(result.out)) != messages.end();
  bool oneMessage = std::count_if(messages.begin(), messages.end(), [&](const std::string &m) {
                      return result.out.find(m) != std::string::npos;
                    }) == 1;
  if (result.exited && result.status == 1 && result.err.empty() && endsWithMessage &&
      oneMessage && result.out.compare(0, opening.size(), opening) == 0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "expected a clean failure, " << describe(result)
                                       << "\nstdout:\n" << result.out;
}
