#include "v5/stream.h"

#include <algorithm>

namespace mat_v5 {

namespace {
constexpr size_t kLargestInputPiece = size_t(1) << 20;
constexpr size_t kScratchSize = size_t(16) << 10;  // output skip() throws away
}  // namespace

bool FileRangeStream::read(void *destination, size_t length) {
  if (length > end_ - position_ || !file_.readAt(position_, destination, length)) return false;
  position_ += length;
  return true;
}

bool FileRangeStream::skip(uint64_t length) {
  if (length > end_ - position_) return false;
  position_ += length;
  return true;
}

InflateStream::InflateStream(const FileBytes &file, uint64_t offset, uint64_t length)
    : file_(file), next_(offset), end_(offset + length) {}

bool InflateStream::start() {
  if (inflater_) return true;
  if (failed_) return false;
  inflater_ = makeInflater();
  if (!inflater_->start()) {
    failed_ = true;
    return false;
  }
  return true;
}

bool InflateStream::refill() {
  if (next_ >= end_) return false;
  size_t take = static_cast<size_t>(std::min<uint64_t>(piece_, end_ - next_));
  if (input_.size() < take) input_.resize(take);
  if (!file_.readAt(next_, input_.data(), take)) return false;
  next_ += take;
  inflater_->giveInput(input_.data(), take);
  piece_ = std::min(piece_ * 2, kLargestInputPiece);
  return true;
}

bool InflateStream::inflateInto(unsigned char *out, size_t length) {
  if (!start()) return false;
  while (length > 0) {
    if (failed_ || ended_) return false;
    size_t produced = 0;
    Inflater::Status status = inflater_->inflate(out, length, produced);
    out += produced;
    length -= produced;
    if (status == Inflater::Status::End) ended_ = true;
    if (status == Inflater::Status::Broken) failed_ = true;
    if (status == Inflater::Status::NeedInput && !refill()) failed_ = true;
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
    size_t produced = 0;
    Inflater::Status status = inflater_->inflate(&extra, 1, produced);
    if (produced != 0) return false;  // inflated bytes beyond the element
    if (status == Inflater::Status::End) ended_ = true;
    if (status == Inflater::Status::Broken) return false;
    if (status == Inflater::Status::NeedInput && !refill()) return false;
  }
  return inflater_->inputLeft() == 0 && next_ == end_;
}

}  // namespace mat_v5
