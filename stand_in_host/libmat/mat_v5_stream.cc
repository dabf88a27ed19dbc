#include "mat_v5_stream.h"

#include <algorithm>
#include <cstring>

namespace mat_v5 {

namespace {
constexpr size_t kLargestInputChunk = size_t(1) << 20;
constexpr size_t kLargestInflateCall = size_t(1) << 30;  // fits zlib's uInt
constexpr size_t kScratchSize = size_t(16) << 10;  // output skip() throws away
}  // namespace

FileRangeStream::FileRangeStream(const FileBytes &file, uint64_t offset, uint64_t length)
    : file_(file), position_(offset), end_(offset + length) {}

size_t FileRangeStream::takeBuffered(unsigned char *out, size_t length) {
  size_t take = std::min(length, bufferEnd_ - bufferAt_);
  if (out != nullptr && take > 0) std::memcpy(out, buffer_ + bufferAt_, take);
  bufferAt_ += take;
  position_ += take;
  return take;
}

bool FileRangeStream::read(void *destination, size_t length) {
  if (length > end_ - position_) return false;
  unsigned char *out = static_cast<unsigned char *>(destination);
  size_t taken = takeBuffered(out, length);
  out += taken;
  length -= taken;
  if (length == 0) return true;
  if (length >= kBufferSize) {
    if (!file_.readAt(position_, out, length)) return false;
    position_ += length;
    return true;
  }
  size_t fill = static_cast<size_t>(std::min<uint64_t>(kBufferSize, end_ - position_));
  if (!file_.readAt(position_, buffer_, fill)) return false;
  bufferAt_ = 0;
  bufferEnd_ = fill;
  takeBuffered(out, length);
  return true;
}

bool FileRangeStream::skip(uint64_t length) {
  if (length > end_ - position_) return false;
  length -= takeBuffered(nullptr, static_cast<size_t>(std::min<uint64_t>(length, kBufferSize)));
  position_ += length;
  return true;
}

InflateStream::InflateStream(const FileBytes &file, uint64_t offset, uint64_t length)
    : file_(file), next_(offset), end_(offset + length) {}

InflateStream::~InflateStream() {
  if (started_) inflateEnd(&zs_);
}

bool InflateStream::start() {
  if (started_) return true;
  if (failed_) return false;
  zs_.next_in = Z_NULL;
  zs_.avail_in = 0;
  if (inflateInit(&zs_) != Z_OK) {
    failed_ = true;
    return false;
  }
  started_ = true;
  return true;
}

bool InflateStream::refill() {
  if (next_ >= end_) return false;
  size_t take = static_cast<size_t>(std::min<uint64_t>(chunk_, end_ - next_));
  if (input_.size() < take) input_.resize(take);
  if (!file_.readAt(next_, input_.data(), take)) return false;
  next_ += take;
  zs_.next_in = input_.data();
  zs_.avail_in = static_cast<uInt>(take);
  chunk_ = std::min(chunk_ * 2, kLargestInputChunk);
  return true;
}

bool InflateStream::inflateInto(unsigned char *out, size_t length) {
  if (!start()) return false;
  while (length > 0) {
    if (failed_ || ended_) return false;
    if (zs_.avail_in == 0 && !refill()) return failed_ = true, false;
    uInt room = static_cast<uInt>(std::min(length, kLargestInflateCall));
    zs_.next_out = out;
    zs_.avail_out = room;
    int status = inflate(&zs_, Z_NO_FLUSH);
    size_t produced = room - zs_.avail_out;
    out += produced;
    length -= produced;
    if (status == Z_STREAM_END) {
      ended_ = true;
    } else if (status == Z_BUF_ERROR) {
      // No progress: only possible here when input ran out.
      if (zs_.avail_in != 0) return failed_ = true, false;
    } else if (status != Z_OK) {
      return failed_ = true, false;
    }
  }
  return true;
}

bool InflateStream::read(void *destination, size_t length) {
  return inflateInto(static_cast<unsigned char *>(destination), length);
}

bool InflateStream::skip(uint64_t length) {
  unsigned char scratch[kScratchSize];
  while (length > 0) {
    size_t part = static_cast<size_t>(std::min<uint64_t>(length, kScratchSize));
    if (!inflateInto(scratch, part)) return false;
    length -= part;
  }
  return true;
}

bool InflateStream::endsHere() {
  if (!start() || failed_) return false;
  while (!ended_) {
    unsigned char extra = 0;
    if (zs_.avail_in == 0 && !refill()) return false;
    zs_.next_out = &extra;
    zs_.avail_out = 1;
    int status = inflate(&zs_, Z_NO_FLUSH);
    if (zs_.avail_out == 0) return false;  // inflated bytes beyond the element
    if (status == Z_STREAM_END) {
      ended_ = true;
    } else if (status != Z_OK && !(status == Z_BUF_ERROR && zs_.avail_in == 0)) {
      return false;
    }
  }
  return zs_.avail_in == 0 && next_ == end_;
}

}  // namespace mat_v5
