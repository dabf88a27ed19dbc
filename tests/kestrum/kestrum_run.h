// Running the built kestrum program and checking how a run ended.
#ifndef TESTS_KESTRUM_KESTRUM_RUN_H
#define TESTS_KESTRUM_KESTRUM_RUN_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_process.h"

// What a sanitizer build of kestrum reports as leaks on standard error.
enum class LeakCheck {
  Everything,
  // All but what matOpen allocated: kestrum leaves its MAT-file open when it
  // stops at a failure.
  AllButAnOpenFile,
};

// Runs the built kestrum with `arguments`, with leak detection on
// (ASAN_OPTIONS detect_leaks=1, LSAN_OPTIONS for `leaks`). A run still going
// after `timeoutSeconds` is killed and marked timed out.
ProcessResult runKestrum(const std::vector<std::string> &arguments, int timeoutSeconds = 20,
                         LeakCheck leaks = LeakCheck::Everything);

// The run exited with `status`, wrote exactly `out` and nothing on stderr
// (where a sanitizer build reports leaks and errors).
::testing::AssertionResult ranWith(const ProcessResult &result, int status,
                                   const std::string &out);

// The run on `fileName` failed cleanly: status 1, nothing on stderr, the
// report's first line, and one of the report's failure messages as its last
// line.
::testing::AssertionResult failedCleanly(const ProcessResult &result, const std::string &fileName);

#endif
