// Runs a program as a child process with a time limit and captures what it
// writes to standard output and standard error.
#ifndef TESTS_KESTRUM_RUN_PROCESS_H
#define TESTS_KESTRUM_RUN_PROCESS_H

#include <string>
#include <vector>

struct ProcessResult {
  std::string out;
  std::string err;
  bool exited = false;  // ended by exit(); otherwise killed by a signal
  int status = -1;      // exit status when `exited`
  int signal = 0;       // the signal that ended it otherwise
  bool timedOut = false;
};

// What a sanitizer build of the child reports as leaks on standard error.
enum class LeakCheck {
  Everything,
  // All but what matOpen allocated: kestrum leaves its MAT-file open when it
  // stops at a failure.
  AllButAnOpenFile,
};

// Runs `argv[0]` with the arguments `argv` (argv[0] included). The child gets
// this process's environment with ASAN_OPTIONS set to detect_leaks=1 and
// LSAN_OPTIONS set for `leaks`. A child still running after `timeoutSeconds`
// is killed and marked timed out.
ProcessResult runProcess(const std::vector<std::string> &argv, int timeoutSeconds = 20,
                         LeakCheck leaks = LeakCheck::Everything);

// A one-line summary for failure messages: how it ended and its stderr.
std::string describe(const ProcessResult &result);

#endif
