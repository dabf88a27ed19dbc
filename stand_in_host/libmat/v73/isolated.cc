#include "v73/isolated.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <new>

#include "v73/shared_data.h"
#include "v73/wire.h"

namespace mat_v73 {

namespace {

enum Request : uint64_t { ListNames = 1, ReadHeader = 2, ReadWhole = 3, CloseFile = 4 };
enum Status : uint8_t { Failed = 0, Succeeded = 1 };

Message statusMessage(bool succeeded) {
  Message message;
  message.bytes.push_back(static_cast<char>(succeeded ? Succeeded : Failed));
  return message;
}

// libhdf5 can also hang on a damaged file, so each request has a time
// limit: 1.5 s for a file of up to 1 MiB, and beyond that 2 us more per
// byte, time enough to inflate data that deflate shrank 1000-fold at
// 500 MB/s.
constexpr uint64_t kSmallFile = uint64_t(1) << 20;

Receiver::Deadline requestDeadline(uint64_t fileSize) {
  std::chrono::microseconds limit = std::chrono::milliseconds(1500);
  if (fileSize > kSmallFile) limit += std::chrono::microseconds(2 * (fileSize - kSmallFile));
  return std::chrono::steady_clock::now() + limit;
}

// Serves one read: the array goes back with its data in a fresh memory file.
bool serveRead(int socket, const File &file, uint64_t index, bool whole) {
  size_t next = static_cast<size_t>(index);
  beginSharing();
  mxArray *array = nullptr;
  try {
    array = file.readVariable(next, whole);
  } catch (const std::bad_alloc &) {
    array = nullptr;
  }
  Message answer = statusMessage(array != nullptr);
  answer.putNumber(next);
  bool sent;
  try {
    if (array != nullptr) answer.putArray(*array);
    sent = sendMessage(socket, answer, array != nullptr ? sharedFile() : -1);
  } catch (const std::bad_alloc &) {
    sent = false;
  }
  mxDestroyArray(array);
  endSharing();
  return sent;
}

bool serveNames(int socket, const File &file) {
  std::vector<std::string> names;
  bool listed = file.listVariableNames(names);
  Message answer = statusMessage(listed);
  answer.putNumber(names.size());
  for (const std::string &name : names) answer.putText(name);
  return sendMessage(socket, answer);
}

// The reader process: opens the file, then answers requests until the file
// is closed or the other side is gone. Never returns.
[[noreturn]] void serve(int socket, const char *path, uint64_t fileSize) {
  // libhdf5 may print on its way down; the report alone goes out. A crash
  // ends this process plainly: handlers the host installed (a crash
  // reporter, a fuzzer's) belong to the host process.
  int devNull = ::open("/dev/null", O_WRONLY);
  if (devNull >= 0) dup2(devNull, STDERR_FILENO);
  for (int crash : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) signal(crash, SIG_DFL);
  File file;
  bool opened = file.open(path, fileSize);
  if (!sendMessage(socket, statusMessage(opened)) || !opened) _exit(0);
  Receiver requests(socket, Receiver::Deadline::max());
  uint64_t request = 0, index = 0;
  while (requests.getNumber(request) && requests.getNumber(index)) {
    bool served = false;
    try {
      if (request == ListNames) served = serveNames(socket, file);
      if (request == ReadHeader || request == ReadWhole) {
        served = serveRead(socket, file, index, request == ReadWhole);
      }
    } catch (const std::bad_alloc &) {
      served = false;
    }
    if (request == CloseFile) {
      bool closed = file.close();
      sendMessage(socket, statusMessage(closed));
      break;
    }
    if (!served) break;
  }
  _exit(0);  // no exit(): buffered output belongs to the other process
}

bool sendRequest(int socket, Request request, uint64_t index = 0) {
  Message message;
  message.putNumber(request);
  message.putNumber(index);
  return sendMessage(socket, message);
}

// Waits for the answer's status byte; false if the reader failed or is gone.
bool answerSucceeded(Receiver &answer, int &memoryFile) {
  uint8_t status = Failed;
  return answer.getStatus(status, memoryFile) && status == Succeeded;
}

}  // namespace

IsolatedFile::~IsolatedFile() { close(); }

bool IsolatedFile::open(const char *path, uint64_t fileSize) {
  close();
  int sockets[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return false;
  reader_ = fork();
  if (reader_ == 0) {
    ::close(sockets[0]);
    serve(sockets[1], path, fileSize);
  }
  ::close(sockets[1]);
  socket_ = sockets[0];
  dataFile_ = ::open(path, O_RDONLY | O_CLOEXEC);
  fileSize_ = fileSize;
  if (reader_ < 0) {
    abandon();
    return false;
  }
  Receiver answer(socket_, requestDeadline(fileSize_));
  int unused = -1;
  if (!answerSucceeded(answer, unused)) {
    close();
    return false;
  }
  return true;
}

bool IsolatedFile::close() {
  if (reader_ < 0) return true;
  Receiver answer(socket_, requestDeadline(fileSize_));
  int unused = -1;
  bool closed = sendRequest(socket_, CloseFile) && answerSucceeded(answer, unused);
  ::close(socket_);
  socket_ = -1;
  closeDataFile();
  int status = 0;
  bool ended = waitpid(reader_, &status, 0) == reader_ && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
  reader_ = -1;
  return closed && ended;
}

void IsolatedFile::closeDataFile() const {
  if (dataFile_ >= 0) ::close(dataFile_);
  dataFile_ = -1;
}

void IsolatedFile::abandon() const {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
  closeDataFile();
  if (reader_ > 0) {
    kill(reader_, SIGKILL);
    waitpid(reader_, nullptr, 0);
  }
  reader_ = -1;
}

bool IsolatedFile::listVariableNames(std::vector<std::string> &names) const {
  if (reader_ < 0) return false;
  Receiver answer(socket_, requestDeadline(fileSize_));
  int unused = -1;
  uint64_t count = 0;
  if (!sendRequest(socket_, ListNames) || !answerSucceeded(answer, unused) ||
      !answer.getNumber(count)) {
    abandon();
    return false;
  }
  names.clear();
  for (uint64_t i = 0; i < count; ++i) {
    std::string name;
    if (!answer.getText(name)) {
      abandon();
      return false;
    }
    names.push_back(std::move(name));
  }
  return true;
}

mxArray *IsolatedFile::readVariable(size_t &index, bool whole) const {
  if (reader_ < 0) return nullptr;
  Receiver answer(socket_, requestDeadline(fileSize_));
  int memoryFile = -1;
  uint8_t status = Failed;
  uint64_t next = 0;
  if (!sendRequest(socket_, whole ? ReadWhole : ReadHeader, index) ||
      !answer.getStatus(status, memoryFile) || !answer.getNumber(next)) {
    if (memoryFile >= 0) ::close(memoryFile);
    abandon();
    return nullptr;
  }
  index = static_cast<size_t>(next);
  mxArray *array = nullptr;
  try {
    if (status == Succeeded) array = answer.getArray({memoryFile, dataFile_});
  } catch (const std::bad_alloc &) {
    array = nullptr;
  }
  if (memoryFile >= 0) ::close(memoryFile);
  if (status == Succeeded && array == nullptr) abandon();  // the answer was cut short
  return array;
}

}  // namespace mat_v73
