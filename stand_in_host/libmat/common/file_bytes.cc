// Offsets past 2 GiB on 32-bit targets (MinGW's stat): off_t and the file
// calls become 64-bit. It must come before any system header.
#define _FILE_OFFSET_BITS 64

#include "common/file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/open_flags.h"
#include "common/read_exactly.h"

namespace {
// Reads shorter than this go through the read-ahead window.
constexpr size_t kSmallRead = size_t(16) << 10;
constexpr size_t kWindowSize = size_t(64) << 10;
}  // namespace

FileBytes::~FileBytes() { close(); }

bool FileBytes::open(const char *path) {
  close();
  int fd = ::open(path, O_RDONLY | O_BINARY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(info.st_size);
  return true;
}

bool FileBytes::close() {
  if (fd_ < 0) return true;
  int result = ::close(fd_);
  fd_ = -1;
  size_ = 0;
  window_.clear();
  return result == 0;
}

bool FileBytes::readAt(uint64_t offset, void *destination, size_t length) const {
  if (fd_ < 0 || !holds(offset, length)) return false;
  if (length >= kSmallRead) return readExactly(fd_, offset, destination, length);
  bool inWindow = offset >= windowOffset_ && offset - windowOffset_ <= window_.size() &&
                  length <= window_.size() - (offset - windowOffset_);
  if (!inWindow && !fillWindow(offset)) return false;
  if (length > 0) std::memcpy(destination, window_.data() + (offset - windowOffset_), length);
  return true;
}

bool FileBytes::readDirect(uint64_t offset, void *destination, size_t length) const {
  return fd_ >= 0 && holds(offset, length) && readExactly(fd_, offset, destination, length);
}

bool FileBytes::fillWindow(uint64_t offset) const {
  size_t length = static_cast<size_t>(std::min<uint64_t>(kWindowSize, size_ - offset));
  window_.resize(length);
  windowOffset_ = offset;
  if (readExactly(fd_, offset, window_.data(), length)) return true;
  window_.clear();
  return false;
}

bool FileBytes::copyTo(uint64_t offset, uint64_t length, int out) const {
  if (!holds(offset, length)) return false;
  std::vector<unsigned char> buffer(static_cast<size_t>(std::min<uint64_t>(length, 1 << 20)));
  while (length > 0) {
    size_t part = static_cast<size_t>(std::min<uint64_t>(length, buffer.size()));
    if (!readDirect(offset, buffer.data(), part)) return false;
    for (size_t written = 0; written < part;) {
      ssize_t n = ::write(out, buffer.data() + written, part - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      written += static_cast<size_t>(n);
    }
    offset += part;
    length -= part;
  }
  return true;
}
