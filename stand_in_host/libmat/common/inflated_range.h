// The inflated bytes of a zlib stream that lies in a range of a file, read
// in order: compressed version 7 elements and compressed version 7.3
// chunks both take this form. Compressed input is read in pieces that grow
// from a few KiB (a header-only read touches little of the file) to 1 MiB.
//
// Small reads are served from bytes inflated ahead, large ones inflate
// straight into the caller's memory.
//
// A damaged stream fails exactly where zlib finds the damage: a read fails
// only if the bytes it needs lie beyond the break. The faster inflater
// (ISA-L) decodes ahead in steps of its own and may meet damage beyond the
// bytes a header read needs, or stop short of zlib on a cut stream; when
// it reports either, the stream is inflated again with zlib up to what was
// handed out, and zlib goes on from there.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_INFLATED_RANGE_H
#define STAND_IN_HOST_LIBMAT_COMMON_INFLATED_RANGE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/file_bytes.h"
#include "common/inflater.h"

// What inflating a stream needs besides the stream: an inflater and a
// buffer of compressed input. A caller that reads many streams keeps one
// and passes it to each, since setting an inflater up costs more than a
// small stream takes to inflate.
struct InflateWorkspace {
  std::unique_ptr<Inflater> inflater;  // made on first use
  std::unique_ptr<Inflater> zlib;      // for small streams, and to find where zlib breaks
  std::vector<unsigned char> input;
  std::vector<unsigned char> ahead;    // bytes inflated ahead of small reads
  std::vector<unsigned char> skipped;  // where large skips inflate to
  // The file is read from several threads at once: input goes around the
  // file's read-ahead window, which is not shared.
  bool fileShared = false;
};

class InflatedRange {
 public:
  // The stream in [offset, offset + length) of `file`, inflated with
  // `workspace` (one of its own if null). The workspace serves one stream
  // at a time.
  InflatedRange(const FileBytes &file, uint64_t offset, uint64_t length,
                InflateWorkspace *workspace = nullptr);

  // Exactly `length` inflated bytes into `out`; false if the stream is
  // damaged or ends before them.
  bool read(unsigned char *out, size_t length);
  // Passes over exactly `length` inflated bytes.
  bool skip(uint64_t length);
  // True if the stream ends here, its Adler-32 right.
  bool ends();
  // True if it ends here and no compressed bytes follow it in the range.
  bool endsHere() { return ends() && inflater().inputLeft() == 0 && next_ == end_; }

  // Inflated bytes handed out so far.
  uint64_t served() const { return served_; }
  // True once the stream was found damaged or cut short.
  bool failed() const { return failed_ || brokenAhead_; }
  // After a failure: why the stream broke (empty if it was cut short or a
  // read failed) and how many of its compressed bytes were used by then.
  const char *errorText() const { return errorText_; }
  uint64_t compressedBytesUsed() const { return started_ ? inflater().inputUsed() : 0; }

 private:
  bool start(bool withZlib);
  // Starts the stream on its first read: short streams with zlib.
  void startOnFirstRead();
  bool refill();
  Inflater::Status inflateSome(unsigned char *out, size_t room, size_t &produced);
  bool fillAhead();
  bool retryWithZlib();
  void fail(Inflater::Status status);
  Inflater &inflater() const { return withZlib_ ? *workspace_.zlib : *workspace_.inflater; }

  const FileBytes &file_;
  uint64_t offset_;
  uint64_t next_;  // next compressed byte not yet read from the file
  uint64_t end_;
  InflateWorkspace ownWorkspace_;
  InflateWorkspace &workspace_;
  bool started_ = false;
  bool withZlib_ = false;
  bool failed_ = false;
  bool ended_ = false;
  bool brokenAhead_ = false;  // zlib broke, or ran out of input, after the bytes ahead
  size_t aheadAt_ = 0;        // workspace_.ahead[aheadAt_, aheadEnd_): inflated, not read
  size_t aheadEnd_ = 0;
  uint64_t served_ = 0;  // bytes handed out so far
  size_t piece_ = 0;
  const char *errorText_ = "";
};

#endif
