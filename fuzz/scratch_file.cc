#include "scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {
std::string path;
int fd = -1;
void removeScratchFile() { unlink(path.c_str()); }
}  // namespace

void createScratchFile(const char *prefix) {
  std::string name = std::string("/tmp/") + prefix + "-XXXXXX";
  fd = mkstemp(&name[0]);
  if (fd < 0) std::abort();
  path = name;
  std::atexit(removeScratchFile);
}

void writeScratchFile(const uint8_t *data, size_t size) {
  if (ftruncate(fd, 0) != 0) std::abort();
  for (size_t written = 0; written < size;) {
    ssize_t n = pwrite(fd, data + written, size - written, static_cast<off_t>(written));
    if (n <= 0) std::abort();
    written += static_cast<size_t>(n);
  }
}

const char *scratchFilePath() { return path.c_str(); }

void silenceStandardOutput() {
  int devNull = open("/dev/null", O_WRONLY);
  if (devNull < 0 || dup2(devNull, STDOUT_FILENO) < 0) std::abort();
  close(devNull);
}
