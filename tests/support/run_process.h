// Runs a program as a child process: its standard input is /dev/null, what
// it writes to standard output and standard error is captured, and how it
// ended and what it used are recorded. The one way the tests start another
// program.
#ifndef TESTS_SUPPORT_RUN_PROCESS_H
#define TESTS_SUPPORT_RUN_PROCESS_H

#include <cstdint>
#include <string>
#include <vector>

struct ProcessOptions {
  // Variables set for the child, each "NAME=VALUE", in place of any of the
  // same name in this process's environment, which the child gets otherwise.
  std::vector<std::string> environment;
  // A child still writing after this many seconds is killed and marked
  // timed out.
  int timeoutSeconds = 20;
};

struct ProcessResult {
  std::string out;
  std::string err;
  bool exited = false;  // ended by exit(); otherwise killed by a signal
  int status = -1;      // exit status when `exited`
  int signal = 0;       // the signal that ended it otherwise
  bool timedOut = false;
  // What the kernel counted for the child and the processes it waited for:
  // user and system CPU time, and the largest resident set.
  double cpuSeconds = 0;
  uint64_t peakBytes = 0;
};

// Runs `argv[0]` with the arguments `argv` (argv[0] included). A name
// without a slash is looked up in PATH.
ProcessResult runProcess(const std::vector<std::string> &argv,
                         const ProcessOptions &options = ProcessOptions());

// A one-line summary for failure messages: how it ended and its stderr.
std::string describe(const ProcessResult &result);

// Arguments joined by spaces, to name a run in failure messages.
std::string joined(const std::vector<std::string> &arguments);

#endif
