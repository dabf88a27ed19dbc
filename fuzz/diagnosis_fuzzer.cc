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
#include "scratch_file.h"

namespace {

constexpr int kWatchedFds = 256;

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
  createScratchFile("kestrum-fuzz");
  silenceStandardOutput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  writeScratchFile(data, size);
  bool openBefore[kWatchedFds];
  for (int fd = 0; fd < kWatchedFds; ++fd) openBefore[fd] = isOpen(fd);
  diagnoseMatFile(scratchFilePath());
  std::fflush(stdout);
  closeWhatTheDiagnosisLeftOpen(openBefore);
  return 0;
}
