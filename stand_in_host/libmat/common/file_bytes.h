// Read-only access to a file's bytes by offset, bounded by the file's size.
// This is the one buffering layer between the readers and the file.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_FILE_BYTES_H
#define STAND_IN_HOST_LIBMAT_COMMON_FILE_BYTES_H

#include <cstddef>
#include <cstdint>
#include <vector>

class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(const FileBytes &) = delete;
  FileBytes &operator=(const FileBytes &) = delete;
  ~FileBytes();

  // Opens a regular file for reading; false if it cannot be opened or is not
  // a regular file.
  bool open(const char *path);
  // Closes the file; false if closing failed.
  bool close();

  uint64_t size() const { return size_; }
  // True if [offset, offset + length) lies inside the file.
  bool holds(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  // Reads exactly `length` bytes at `offset`; false if they are not all there.
  // Small reads are served from a read-ahead window, so that walking many
  // small elements costs a system call per window, not per element.
  bool readAt(uint64_t offset, void *destination, size_t length) const;
  // The same without the window: for large reads, and safe to call from
  // several threads at once.
  bool readDirect(uint64_t offset, void *destination, size_t length) const;
  // Writes [offset, offset + length) to the open file `out`; false if the
  // bytes are not all there or writing fails.
  bool copyTo(uint64_t offset, uint64_t length, int out) const;

 private:
  bool fillWindow(uint64_t offset) const;

  int fd_ = -1;
  uint64_t size_ = 0;
  mutable std::vector<unsigned char> window_;  // the bytes at windowOffset_
  mutable uint64_t windowOffset_ = 0;
};

#endif
