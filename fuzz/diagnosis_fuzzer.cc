// libFuzzer target over the whole diagnosis: the input's bytes become a
// MAT-file in a scratch file, and kestrum's three passes read it through the
// stand-in host. The report goes to /dev/null; any crash, leak, sanitizer
// finding, out-of-memory case or time-out is a finding.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "diagnose_mat_file.h"

namespace {

char scratchPath[] = "/tmp/kestrum-fuzz-XXXXXX";
int scratchFd = -1;

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
  diagnoseMatFile(scratchPath);
  std::fflush(stdout);
  return 0;
}
