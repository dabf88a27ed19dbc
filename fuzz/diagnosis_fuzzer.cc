// libFuzzer target over the whole diagnosis: the input's bytes become a
// MAT-file in a scratch file, and kestrum's three passes read it through the
// stand-in host. The report goes to /dev/null; any crash, leak, sanitizer
// finding, out-of-memory case or time-out is a finding.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "diagnose_mat_file.h"

namespace {

char scratchPath[] = "/tmp/kestrum-fuzz-XXXXXX";
int scratchFd = -1;
constexpr int kWatchedFds = 256;

void removeScratchFile() { unlink(scratchPath); }

bool writeScratchFile(const uint8_t *data, size_t size) {
  if (ftruncate(scratchFd, 0) != 0) return false;
  size_t written = 0;
  while (written < size) {
    ssize_t n = pwrite(scratchFd, data + written, size - written, static_cast<off_t>(written));
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

bool isOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

// kestrum stops at a failure without closing its MAT-file, as the process
// ends right after. Here the process goes on, so what the diagnosis left
// open is closed: the file's descriptor and the socket of a version 7.3
// reader process, which then ends and is reaped.
void closeWhatTheDiagnosisLeftOpen(const bool (&openBefore)[kWatchedFds]) {
  for (int fd = 0; fd < kWatchedFds; ++fd) {
    if (!openBefore[fd] && isOpen(fd)) close(fd);
  }
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  scratchFd = mkstemp(scratchPath);
  if (scratchFd < 0) std::abort();
  std::atexit(removeScratchFile);
  int devNull = open("/dev/null", O_WRONLY);
  if (devNull < 0 || dup2(devNull, STDOUT_FILENO) < 0) std::abort();
  close(devNull);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (!writeScratchFile(data, size)) std::abort();
  bool openBefore[kWatchedFds];
  for (int fd = 0; fd < kWatchedFds; ++fd) openBefore[fd] = isOpen(fd);
  diagnoseMatFile(scratchPath);
  std::fflush(stdout);
  closeWhatTheDiagnosisLeftOpen(openBefore);
  return 0;
}
