#include "child_usage.h"

#include <vector>

#include "expected_report.h"

namespace {

constexpr int kWatchdogSeconds = 20;
constexpr double kCpuSecondsLimit = 2.0;
constexpr uint64_t kBaseBytes = uint64_t(64) << 20;
constexpr uint64_t kBytesPerFileByte = 1100;

bool endsWith(const std::string &text, const std::string &tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

ProcessResult runKestrumOn(const std::string &path) {
  ProcessOptions options;
  // A sanitizer build reports leaks on stderr; kestrum leaves its file
  // open when it stops at a failure.
  options.environment = {"LSAN_OPTIONS=print_suppressions=0:suppressions=" LEAK_SUPPRESSIONS};
  options.timeoutSeconds = kWatchdogSeconds;
  return runProcess({KESTRUM_PATH, path}, options);
}

ProcessResult runExplainOn(const std::string &path, const std::vector<std::string> &options) {
  ProcessOptions process;
  process.timeoutSeconds = kWatchdogSeconds;
  std::vector<std::string> command = {EXPLAIN_PATH, path};
  command.insert(command.end(), options.begin(), options.end());
  return runProcess(command, process);
}

namespace {

::testing::AssertionResult withinBounds(const ProcessResult &run, uint64_t fileBytes) {
#if CHECK_RESOURCES
  uint64_t peakLimit = kBaseBytes + kBytesPerFileByte * fileBytes;
  if (run.cpuSeconds > kCpuSecondsLimit || run.peakBytes > peakLimit) {
    return ::testing::AssertionFailure() << run.cpuSeconds << " s of CPU time, peak of "
                                         << run.peakBytes << " bytes (limit " << peakLimit << ")";
  }
#else
  (void)run;
  (void)fileBytes;
#endif
  return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult explainedAlike(const ProcessResult &explain,
                                          const ProcessResult &kestrum, uint64_t fileBytes) {
  if (!explain.exited) return ::testing::AssertionFailure() << describe(explain);
  bool agrees = kestrum.status == 0 ? explain.status == 0
                                    : explain.status == 1 || explain.status == 2;
  if (!agrees) {
    return ::testing::AssertionFailure() << "kestrum-explain exited with " << explain.status
                                         << ", kestrum with " << kestrum.status << ":\n"
                                         << explain.out;
  }
  if (explain.status == 2 ? explain.err.empty() || !explain.out.empty()
                          : !explain.err.empty() || explain.out.find("\nsummary:") == std::string::npos) {
    return ::testing::AssertionFailure() << "status " << explain.status << ", out: " << explain.out
                                         << "err: " << explain.err;
  }
  return withinBounds(explain, fileBytes);
}

::testing::AssertionResult heldUp(const ProcessResult &run, const std::string &path,
                                  uint64_t fileBytes) {
  if (!run.exited) return ::testing::AssertionFailure() << describe(run);
  if (!run.err.empty()) return ::testing::AssertionFailure() << "wrote on stderr: " << run.err;
  if (run.out.rfind(reportOpening(path), 0) != 0) {
    return ::testing::AssertionFailure() << "report starts otherwise: " << run.out.substr(0, 200);
  }
  bool endsWell = run.status == 0 && endsWith(run.out, "\nDone\n");
  for (const std::string &failure : failureLines(path)) {
    endsWell = endsWell || (run.status == 1 && endsWith(run.out, failure));
  }
  if (!endsWell) {
    return ::testing::AssertionFailure() << "status " << run.status << " after: " << run.out;
  }
  return withinBounds(run, fileBytes);
}

::testing::AssertionResult refused(const ProcessResult &run, const std::string &path,
                                   uint64_t fileBytes) {
  ::testing::AssertionResult held = heldUp(run, path, fileBytes);
  if (!held) return held;
  if (run.status != 1) return ::testing::AssertionFailure() << "accepted: " << run.out;
  return ::testing::AssertionSuccess();
}
