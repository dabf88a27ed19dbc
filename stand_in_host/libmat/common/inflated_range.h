// The inflated bytes of a zlib stream that lies in a range of a file, read
// in order: compressed version 7 elements and compressed version 7.3
// chunks both take this form. Compressed input is read in pieces that grow
// from a few KiB (a header-only read touches little of the file) to 1 MiB.
//
// A damaged stream fails exactly where zlib finds the damage. The faster
// inflater (ISA-L) decodes ahead of what it is asked for, and so can meet
// damage beyond the bytes a header read needs; when it reports a broken
// stream, the stream is inflated again with zlib up to the same point and
// zlib goes on from there.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_INFLATED_RANGE_H
#define STAND_IN_HOST_LIBMAT_COMMON_INFLATED_RANGE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/file_bytes.h"
#include "common/inflater.h"

class InflatedRange {
 public:
  // The stream in [offset, offset + length) of `file`. `input` holds the
  // compressed pieces; a caller reading many streams passes its own, to
  // reuse it.
  InflatedRange(const FileBytes &file, uint64_t offset, uint64_t length,
                std::vector<unsigned char> *input = nullptr);

  // Exactly `length` inflated bytes into `out`; false if the stream is
  // damaged or ends before them.
  bool read(unsigned char *out, size_t length);
  // Passes over exactly `length` inflated bytes.
  bool skip(uint64_t length);
  // True if the stream ends here, its Adler-32 right.
  bool ends();
  // True if it ends here and no compressed bytes follow it in the range.
  bool endsHere() { return ends() && inflater_->inputLeft() == 0 && next_ == end_; }

  // After a failure: why the stream broke (empty if it was cut short or a
  // read failed) and how many of its compressed bytes were used by then.
  const char *errorText() const { return errorText_; }
  uint64_t compressedBytesUsed() const { return inflater_ ? inflater_->inputUsed() : 0; }

 private:
  bool start(bool withZlib);
  bool refill();
  bool inflateInto(unsigned char *out, size_t length);
  bool retryWithZlib();

  const FileBytes &file_;
  uint64_t offset_;
  uint64_t next_;  // next compressed byte not yet read from the file
  uint64_t end_;
  std::unique_ptr<Inflater> inflater_;
  bool withZlib_ = false;
  bool failed_ = false;
  bool ended_ = false;
  uint64_t inflated_ = 0;  // bytes handed out so far
  size_t piece_ = 0;
  const char *errorText_ = "";
  std::vector<unsigned char> ownInput_;
  std::vector<unsigned char> &input_;
};

#endif
