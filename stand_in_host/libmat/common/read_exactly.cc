// Offsets past 2 GiB on 32-bit targets (MinGW's lseek, 32-bit Linux's
// pread): off_t and the file calls become 64-bit. It must come before any
// system header.
#define _FILE_OFFSET_BITS 64

#include "common/read_exactly.h"

#include <cerrno>
#include <unistd.h>

static_assert(sizeof(off_t) >= 8, "file offsets must be 64-bit");

bool readExactly(int fd, uint64_t offset, void *destination, size_t length) {
  char *out = static_cast<char *>(destination);
  while (length > 0) {
    // At most 1 GiB a call, which every platform accepts.
    size_t part = length < (size_t(1) << 30) ? length : (size_t(1) << 30);
#if defined(_WIN32)
    if (lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) return false;
    ssize_t got = ::read(fd, out, static_cast<unsigned>(part));
#else
    ssize_t got = ::pread(fd, out, part, static_cast<off_t>(offset));
#endif
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    offset += static_cast<uint64_t>(got);
    length -= static_cast<size_t>(got);
  }
  return true;
}
