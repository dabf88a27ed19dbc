#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

extern char **environ;

namespace {

std::string nameOf(const std::string &assignment) {
  return assignment.substr(0, assignment.find('='));
}

// This process's environment with `overrides` in place of the variables of
// the same names.
std::vector<std::string> childEnvironment(const std::vector<std::string> &overrides) {
  std::vector<std::string> env;
  for (char **entry = environ; *entry != nullptr; ++entry) {
    std::string name = nameOf(*entry);
    bool overridden = false;
    for (const std::string &assignment : overrides) overridden |= nameOf(assignment) == name;
    if (!overridden) env.emplace_back(*entry);
  }
  env.insert(env.end(), overrides.begin(), overrides.end());
  return env;
}

std::vector<char *> pointersTo(std::vector<std::string> &strings) {
  std::vector<char *> pointers;
  for (std::string &s : strings) pointers.push_back(&s[0]);
  pointers.push_back(nullptr);
  return pointers;
}

// Reads what is available on `fd` into `into`; false once the pipe is closed.
bool drain(int fd, std::string &into) {
  char buffer[4096];
  ssize_t got = read(fd, buffer, sizeof buffer);
  if (got > 0) {
    into.append(buffer, static_cast<size_t>(got));
    return true;
  }
  return got < 0 && (errno == EINTR || errno == EAGAIN);
}

// Collects both pipes until they close or the deadline passes; false on timeout.
bool collectOutput(int outFd, int errFd, int timeoutSeconds, ProcessResult &result) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string *sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      if (!drain(fds[i].fd, *sinks[i])) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  return true;
}

double seconds(const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// Waits for the child and records how it ended and what it used.
void reap(pid_t pid, ProcessResult &result) {
  int wstatus = 0;
  rusage usage{};
  while (wait4(pid, &wstatus, 0, &usage) < 0) {
    if (errno != EINTR) return;
  }
  result.exited = WIFEXITED(wstatus);
  result.status = result.exited ? WEXITSTATUS(wstatus) : -1;
  result.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
  result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  result.peakBytes = static_cast<uint64_t>(usage.ru_maxrss) * 1024;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string> &argv, const ProcessOptions &options) {
  ProcessResult result;
  if (argv.empty()) {
    result.err = "no program to run";
    return result;
  }
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  // The pipes' descriptors close at exec; only their duplicates as the
  // child's standard output and error stay open.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);

  std::vector<std::string> args = argv;
  std::vector<std::string> env = childEnvironment(options.environment);
  pid_t pid = -1;
  int spawned = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, pointersTo(args).data(),
                             pointersTo(env).data());
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);

  if (spawned == 0) {
    if (!collectOutput(outPipe[0], errPipe[0], options.timeoutSeconds, result)) {
      result.timedOut = true;
      kill(pid, SIGKILL);
    }
    reap(pid, result);
  } else {
    result.err = "could not start " + args[0] + ": " + std::strerror(spawned);
  }
  close(outPipe[0]);
  close(errPipe[0]);
  return result;
}

std::string describe(const ProcessResult &result) {
  std::string how = result.timedOut      ? "timed out"
                    : result.exited        ? "exited with " + std::to_string(result.status)
                    : result.signal != 0   ? "killed by signal " + std::to_string(result.signal)
                                           : "did not run";
  return how + "; stderr: [" + result.err + "]";
}

std::string joined(const std::vector<std::string> &arguments) {
  std::string text;
  for (const std::string &argument : arguments) text += argument + " ";
  return text;
}
