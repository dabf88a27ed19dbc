#include "run_process.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

extern char **environ;

namespace {

bool startsWith(const char *text, const char *prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

std::vector<std::string> childEnvironment(LeakCheck leaks) {
  std::vector<std::string> env;
  for (char **entry = environ; *entry != nullptr; ++entry) {
    if (!startsWith(*entry, "ASAN_OPTIONS=") && !startsWith(*entry, "LSAN_OPTIONS=")) {
      env.emplace_back(*entry);
    }
  }
  env.emplace_back("ASAN_OPTIONS=detect_leaks=1");
  if (leaks == LeakCheck::AllButAnOpenFile) {
    env.emplace_back(std::string("LSAN_OPTIONS=print_suppressions=0:suppressions=") +
                     OPEN_FILE_SUPPRESSIONS);
  }
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

}  // namespace

ProcessResult runProcess(const std::vector<std::string> &argv, int timeoutSeconds,
                         LeakCheck leaks) {
  ProcessResult result;
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0) return result;
  if (pipe(errPipe) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
    posix_spawn_file_actions_addclose(&actions, fd);
  }

  std::vector<std::string> args = argv;
  std::vector<std::string> env = childEnvironment(leaks);
  pid_t pid = -1;
  int spawned = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, pointersTo(args).data(),
                            pointersTo(env).data());
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);

  if (spawned == 0) {
    if (!collectOutput(outPipe[0], errPipe[0], timeoutSeconds, result)) {
      result.timedOut = true;
      kill(pid, SIGKILL);
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(wstatus);
    result.status = result.exited ? WEXITSTATUS(wstatus) : -1;
    result.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
  } else {
    result.err = std::string("could not start ") + args[0] + ": " + std::strerror(spawned);
  }
  close(outPipe[0]);
  close(errPipe[0]);
  return result;
}

std::string describe(const ProcessResult &result) {
  std::string how = result.timedOut ? "timed out"
                    : result.exited ? "exited with " + std::to_string(result.status)
                                    : "killed by signal " + std::to_string(result.signal);
  return how + "; stderr: [" + result.err + "]";
}
