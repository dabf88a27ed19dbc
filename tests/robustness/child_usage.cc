#include "child_usage.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWatchdogSeconds = 20;
constexpr double kCpuSecondsLimit = 2.0;
constexpr uint64_t kBaseBytes = uint64_t(64) << 20;
constexpr uint64_t kBytesPerFileByte = 1100;

// Reads both pipes until the child closes them or the deadline passes.
bool drain(int outFd, int errFd, ChildRun &run, std::chrono::steady_clock::time_point deadline) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string *sinks[2] = {&run.out, &run.err};
  int open = 2;
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    if (poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) return false;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  return true;
}

double seconds(const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

bool endsWith(const std::string &text, const std::string &tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

const char *const kFailureFormats[] = {
    "Error opening file %s\n",   "Error reading directory of file %s\n",
    "Error closing file %s\n",   "Error reopening file %s\n",
    "Error reading in file %s\n"};

std::string withName(const char *format, const std::string &path) {
  std::string text(format);
  return text.replace(text.find("%s"), 2, path);
}

}  // namespace

ChildRun runKestrumOn(const std::string &path) {
  ChildRun run;
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return run;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    // A sanitizer build reports leaks on stderr; kestrum leaves its file
    // open when it stops at a failure.
    setenv("LSAN_OPTIONS", "print_suppressions=0:suppressions=" LEAK_SUPPRESSIONS, 1);
    execl(KESTRUM_PATH, "kestrum", path.c_str(), static_cast<char *>(nullptr));
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kWatchdogSeconds);
  if (pid < 0 || !drain(out[0], err[0], run, deadline)) {
    if (pid > 0) kill(pid, SIGKILL);
  }
  close(out[0]);
  close(err[0]);
  int status = 0;
  rusage usage{};
  if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
    run.exited = WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakBytes = static_cast<uint64_t>(usage.ru_maxrss) * 1024;
  }
  return run;
}

::testing::AssertionResult heldUp(const ChildRun &run, const std::string &path,
                                  uint64_t fileBytes) {
  if (!run.exited) return ::testing::AssertionFailure() << "ended by signal " << run.signal;
  if (!run.err.empty()) return ::testing::AssertionFailure() << "wrote on stderr: " << run.err;
  if (run.out.rfind(withName("Reading file %s...\n\n", path), 0) != 0) {
    return ::testing::AssertionFailure() << "report starts otherwise: " << run.out.substr(0, 200);
  }
  bool endsWell = run.status == 0 && endsWith(run.out, "\nDone\n");
  for (const char *format : kFailureFormats) {
    endsWell = endsWell || (run.status == 1 && endsWith(run.out, withName(format, path)));
  }
  if (!endsWell) {
    return ::testing::AssertionFailure() << "status " << run.status << " after: " << run.out;
  }
#if CHECK_RESOURCES
  uint64_t peakLimit = kBaseBytes + kBytesPerFileByte * fileBytes;
  if (run.cpuSeconds > kCpuSecondsLimit || run.peakBytes > peakLimit) {
    return ::testing::AssertionFailure() << run.cpuSeconds << " s of CPU time, peak of "
                                         << run.peakBytes << " bytes (limit " << peakLimit << ")";
  }
#else
  (void)fileBytes;
#endif
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult refused(const ChildRun &run, const std::string &path,
                                   uint64_t fileBytes) {
  ::testing::AssertionResult held = heldUp(run, path, fileBytes);
  if (!held) return held;
  if (run.status != 1) return ::testing::AssertionFailure() << "accepted: " << run.out;
  return ::testing::AssertionSuccess();
}
