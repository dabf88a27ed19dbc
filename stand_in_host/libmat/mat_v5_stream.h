// Sequential byte sources for the version 5 reader: a range of the file, or
// the inflated bytes of a compressed element. Both read straight into the
// caller's memory, so array data lands in its final buffer without a copy.
#ifndef STAND_IN_HOST_LIBMAT_MAT_V5_STREAM_H
#define STAND_IN_HOST_LIBMAT_MAT_V5_STREAM_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include <zlib.h>

#include "file_bytes.h"

namespace mat_v5 {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Reads exactly `length` bytes; false if they are not there.
  virtual bool read(void *destination, size_t length) = 0;
  // Passes over exactly `length` bytes; false if they are not there.
  virtual bool skip(uint64_t length) = 0;
};

// The bytes [offset, offset + length) of a file. Small reads (tags, flags,
// names) are served from a 4 KiB buffer, to spare a system call each; large
// ones go straight from the file into the caller's memory.
class FileRangeStream : public ByteStream {
 public:
  FileRangeStream(const FileBytes &file, uint64_t offset, uint64_t length);
  bool read(void *destination, size_t length) override;
  bool skip(uint64_t length) override;

 private:
  static constexpr size_t kBufferSize = 4096;

  size_t takeBuffered(unsigned char *out, size_t length);

  const FileBytes &file_;
  uint64_t position_;  // the next byte to hand out
  uint64_t end_;
  size_t bufferAt_ = 0;  // buffer_[bufferAt_, bufferEnd_) holds the bytes at position_
  size_t bufferEnd_ = 0;
  unsigned char buffer_[kBufferSize];
};

// The inflated bytes of the zlib stream held in [offset, offset + length) of
// a file. Compressed input is read in chunks that grow from a few KiB (a
// header-only read touches little of the file) up to 1 MiB.
class InflateStream : public ByteStream {
 public:
  InflateStream(const FileBytes &file, uint64_t offset, uint64_t length);
  ~InflateStream() override;
  InflateStream(const InflateStream &) = delete;
  InflateStream &operator=(const InflateStream &) = delete;

  bool read(void *destination, size_t length) override;
  bool skip(uint64_t length) override;
  // True if the zlib stream ends exactly here, its Adler-32 checksum is
  // right, and no compressed bytes follow it.
  bool endsHere();

 private:
  bool start();
  bool refill();
  bool inflateInto(unsigned char *out, size_t length);

  const FileBytes &file_;
  uint64_t next_;  // next compressed byte not yet read from the file
  uint64_t end_;
  z_stream zs_{};
  bool started_ = false;
  bool failed_ = false;
  bool ended_ = false;
  size_t chunk_ = 4096;
  std::vector<unsigned char> input_;
};

}  // namespace mat_v5

#endif
