// Runs kestrum on one file as a child process and checks what the run
// took, as the kernel counts it for the child and everything it waited for.
#ifndef TESTS_ROBUSTNESS_CHILD_USAGE_H
#define TESTS_ROBUSTNESS_CHILD_USAGE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "run_process.h"

// Runs kestrum on `path`. A run still going after 20 seconds is killed.
ProcessResult runKestrumOn(const std::string &path);

// The run on a file of `fileBytes` bytes ended as the report allows for any
// file: status 0 with "Done\n" last, or status 1 with one of the report's
// failure messages last; the report's first line first; nothing on standard
// error. In builds without sanitizers also: at most 2 s of CPU time and a
// peak of at most 64 MiB plus 1100 bytes per byte of the file.
::testing::AssertionResult heldUp(const ProcessResult &run, const std::string &path,
                                  uint64_t fileBytes);

// The same, and the run failed (status 1).
::testing::AssertionResult refused(const ProcessResult &run, const std::string &path,
                                   uint64_t fileBytes);

// Runs kestrum-explain on `path` with `options` after it, as runKestrumOn
// runs kestrum.
ProcessResult runExplainOn(const std::string &path, const std::vector<std::string> &options = {});

// kestrum-explain's run agrees with kestrum's on the same file and held up:
// status 0 (all intact) where kestrum gave a complete report, 1 (damage
// found) or 2 (not a MAT-file it can open, said on stderr) where kestrum
// failed; a complete report ending in its summary for 0 and 1; within the
// same CPU time and memory bounds.
::testing::AssertionResult explainedAlike(const ProcessResult &explain,
                                          const ProcessResult &kestrum, uint64_t fileBytes);

#endif
