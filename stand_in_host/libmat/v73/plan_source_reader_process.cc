// Plans made by libhdf5 in a reader process of its own: the program
// mat_v73_reader, installed beside libmat (or in ../libexec from it),
// started with posix_spawn for each open file. It talks over a socket
// (reader_channel.h); its standard streams go to /dev/null.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "common/byte_cursor.h"
#include "v73/installed_beside_libmat.h"
#include "v73/plan_source.h"
#include "v73/plan_wire.h"
#include "v73/reader_channel.h"
#include "v73/reader_limits.h"

extern char **environ;

namespace mat_v73 {

namespace {

constexpr char kProgramName[] = "mat_v73_reader";
constexpr int kChannelDescriptor = 3;  // the socket, in the reader process
constexpr uint64_t kSmallAnswer = 1024;

// The reader program beside libmat, or in ../libexec from it.
const std::string &readerProgram() {
  static const std::string program = installedBesideLibmat(kProgramName, "../libexec", X_OK);
  return program;
}

// A descriptor other than the ones the reader process gets its channel and
// standard streams on, so that the spawn's dup2 clears close-on-exec.
int descriptorAbove(int fd, int lowest) {
  if (fd > lowest) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, lowest + 1);
  close(fd);
  return moved;
}

class ReaderProcess : public PlanSource {
 public:
  ReaderProcess(uint64_t fileSize, bool forExamination)
      : fileSize_(fileSize), forExamination_(forExamination) {}
  ~ReaderProcess() override { abandon(); }

  bool start(const char *path) {
    const std::string &program = readerProgram();
    int sockets[2];
    if (program.empty() || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
      return false;
    }
    socket_ = sockets[0];
    int child = descriptorAbove(sockets[1], kChannelDescriptor);
    bool spawned = child >= 0 && spawn(program, path, child);
    if (child >= 0) ::close(child);
    if (!spawned) return false;
    std::string answer;
    return receiveFrame(socket_, answer, kSmallAnswer, deadline()) && succeeded(answer);
  }

  bool directory(std::vector<std::string> &names) override {
    std::string answer;
    if (!ask(Request::Directory, 0, 0, answer)) return false;
    ByteCursor in(answer.data(), answer.size());
    if (static_cast<Status>(in.u64()) != Status::Succeeded) return in.atEnd() ? false : broken();
    return decodeNames(in, names) && in.atEnd() ? true : broken();
  }

  bool plan(uint64_t index, bool whole, ArrayPlan &plan) override {
    std::string answer;
    failure_.clear();
    if (!ask(Request::Plan, index, whole ? 1 : 0, answer)) {
      failure_ = "the reader process ended on it (libhdf5 crashed, or overran its limits)";
      return false;
    }
    ByteCursor in(answer.data(), answer.size());
    if (static_cast<Status>(in.u64()) != Status::Succeeded) {
      if (!in.atEnd()) failure_ = in.text(in.left());
      return in.atEnd() ? false : broken();
    }
    return decodePlan(in, plan) && in.atEnd() ? true : broken();
  }

  std::string lastFailure() const override { return failure_; }
  bool alive() const override { return pid_ > 0; }

  bool salvage(const std::vector<std::string> &names, const char *outPath,
               std::string &why) override {
    if (pid_ < 0) {
      why = "the reader process has ended";
      return false;
    }
    uint64_t words[3] = {static_cast<uint64_t>(Request::Salvage), 0, 0};
    std::string request(reinterpret_cast<const char *>(words), sizeof words);
    uint64_t length = std::strlen(outPath);
    request.append(reinterpret_cast<const char *>(&length), sizeof length);
    request += outPath;
    encodeNames(names, request);
    std::string answer;
    if (!sendFrame(socket_, request) ||
        !receiveFrame(socket_, answer, kSmallAnswer + 4096, deadline())) {
      broken();
      why = "the reader process ended while salvaging";
      return false;
    }
    ByteCursor in(answer.data(), answer.size());
    if (static_cast<Status>(in.u64()) == Status::Succeeded && in.atEnd()) return true;
    why = in.ok() && !in.atEnd() ? in.text(in.left()) : "salvaging failed";
    return false;
  }

  bool streamPieces(uint64_t stream, uint64_t bytes,
                    const std::function<bool(const void *, size_t)> &take) override {
    std::vector<char> piece(size_t(1) << 20);
    return receiveStream(stream, bytes, [&](uint64_t length, Deadline until) {
      while (length > 0) {
        size_t part = static_cast<size_t>(std::min<uint64_t>(length, piece.size()));
        if (!receiveExactly(socket_, piece.data(), part, until)) return false;
        if (!take(piece.data(), part)) return false;
        length -= part;
      }
      return true;
    });
  }

  bool stream(uint64_t stream, void *destination, uint64_t bytes) override {
    char *at = static_cast<char *>(destination);
    return receiveStream(stream, bytes, [&](uint64_t length, Deadline until) {
      if (!receiveExactly(socket_, at, length, until)) return false;
      at += length;
      return true;
    });
  }

  bool close() override {
    if (pid_ < 0) return true;
    std::string answer;
    bool closed = ask(Request::Close, 0, 0, answer) && succeeded(answer);
    ::close(socket_);
    socket_ = -1;
    int status = 0;
    pid_t ended = reap(&status);
    bool endedWell = ended == pid_ ? WIFEXITED(status) && WEXITSTATUS(status) == 0
                                   : errno == ECHILD;  // a host that reaps children itself
    pid_ = -1;
    return closed && endedWell;
  }

 private:
  bool spawn(const std::string &program, const char *path, int child) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    if (posix_spawnattr_init(&attributes) != 0) {
      posix_spawn_file_actions_destroy(&actions);
      return false;
    }
    // The reader process starts with every signal at its default action and
    // none blocked: handlers the host installed (a crash reporter, a
    // fuzzer's) are the host's own.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, child, kChannelDescriptor);
    char examineFlag[] = "--examine";
    char *const arguments[] = {const_cast<char *>(program.c_str()),
                               forExamination_ ? examineFlag : const_cast<char *>(path),
                               forExamination_ ? const_cast<char *>(path) : nullptr, nullptr};
    int spawned = posix_spawn(&pid_, program.c_str(), &actions, &attributes, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) pid_ = -1;
    return spawned == 0;
  }

  // Asks for a streamed source and hands each of its frames' lengths to
  // `receive`, which takes the frame's bytes off the socket.
  bool receiveStream(uint64_t stream, uint64_t bytes,
                     const std::function<bool(uint64_t, Deadline)> &receive) {
    std::string answer;
    if (!ask(Request::Stream, stream, bytes, answer)) return false;
    if (!succeeded(answer)) return answer.size() == sizeof(uint64_t) ? false : broken();
    Deadline until = deadline();
    for (uint64_t done = 0; done < bytes;) {
      uint64_t length = 0;
      if (!receiveExactly(socket_, &length, sizeof length, until)) return broken();
      if (length == kStreamFailed) return false;
      if (length > bytes - done || !receive(length, until)) return broken();
      done += length;
    }
    return true;
  }

  Deadline deadline() const { return std::chrono::steady_clock::now() + answerWait(fileSize_); }

  static bool succeeded(const std::string &answer) {
    ByteCursor in(answer.data(), answer.size());
    return static_cast<Status>(in.u64()) == Status::Succeeded && in.ok();
  }

  // Sends a request and receives the answer's first frame; a reader that
  // does not answer in time, or is gone, is abandoned.
  bool ask(Request request, uint64_t a, uint64_t b, std::string &answer) {
    if (pid_ < 0) return false;
    uint64_t words[3] = {static_cast<uint64_t>(request), a, b};
    // A plan of n arrays takes some hundred bytes each, and a file of
    // n bytes holds at most n / 16 arrays.
    uint64_t limit = (uint64_t(64) << 20) + 64 * fileSize_;
    if (sendFrame(socket_, words, sizeof words) &&
        receiveFrame(socket_, answer, limit, deadline())) {
      return true;
    }
    return broken();
  }

  // The reader broke the protocol, crashed or ran out of time: it is ended,
  // and every later request fails.
  bool broken() {
    abandon();
    return false;
  }

  void abandon() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      reap(nullptr);
    }
    pid_ = -1;
  }

  // Waits for the reader process to end, through signals of the host's
  // that interrupt the wait.
  pid_t reap(int *status) {
    pid_t ended;
    do {
      ended = waitpid(pid_, status, 0);
    } while (ended < 0 && errno == EINTR);
    return ended;
  }

  uint64_t fileSize_;
  bool forExamination_;
  pid_t pid_ = -1;
  int socket_ = -1;
  std::string failure_;
};

}  // namespace

std::unique_ptr<PlanSource> openInReaderProcess(const char *path, uint64_t fileSize,
                                                bool forExamination) {
  std::unique_ptr<ReaderProcess> source(new ReaderProcess(fileSize, forExamination));
  if (!source->start(path)) return nullptr;
  return source;
}

}  // namespace mat_v73
