// Sequential byte sources for the version 5 reader: a range of the file, or
// the inflated bytes of a compressed element. Both read straight into the
// caller's memory, so array data lands in its final buffer without a copy.
#ifndef STAND_IN_HOST_LIBMAT_V5_STREAM_H
#define STAND_IN_HOST_LIBMAT_V5_STREAM_H

#include <cstddef>
#include <cstdint>

#include "common/file_bytes.h"
#include "common/inflated_range.h"

namespace mat_v5 {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Reads exactly `length` bytes; false if they are not there.
  virtual bool read(void *destination, size_t length) = 0;
  // Passes over exactly `length` bytes; false if they are not there.
  virtual bool skip(uint64_t length) = 0;
  // Where the next byte comes from: the offset in the file, or in the
  // inflated bytes of a compressed element.
  virtual uint64_t position() const = 0;
};

// The bytes [offset, offset + length) of a file. Small reads come from the
// file's read-ahead window, large ones straight from the file.
class FileRangeStream : public ByteStream {
 public:
  FileRangeStream(const FileBytes &file, uint64_t offset, uint64_t length)
      : file_(file), position_(offset), end_(offset + length) {}
  bool read(void *destination, size_t length) override;
  bool skip(uint64_t length) override;
  uint64_t position() const override { return position_; }

 private:
  const FileBytes &file_;
  uint64_t position_;  // the next byte to hand out
  uint64_t end_;
};

// The inflated bytes of the zlib stream held in [offset, offset + length) of
// a file.
class InflateStream : public ByteStream {
 public:
  InflateStream(const FileBytes &file, uint64_t offset, uint64_t length,
                InflateWorkspace *workspace)
      : range_(file, offset, length, workspace) {}

  bool read(void *destination, size_t length) override {
    return range_.read(static_cast<unsigned char *>(destination), length);
  }
  bool skip(uint64_t length) override { return range_.skip(length); }
  uint64_t position() const override { return range_.served(); }
  // True if the zlib stream ends exactly here, its Adler-32 checksum is
  // right, and no compressed bytes follow it.
  bool endsHere() { return range_.endsHere(); }
  const InflatedRange &range() const { return range_; }

 private:
  InflatedRange range_;
};

}  // namespace mat_v5

#endif
