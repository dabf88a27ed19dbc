#include "common/inflated_range.h"

#include <algorithm>

namespace {
constexpr size_t kFirstPiece = size_t(4) << 10;
constexpr size_t kLargestPiece = size_t(1) << 20;
constexpr size_t kScratchSize = size_t(16) << 10;  // output that skip() throws away
}  // namespace

InflatedRange::InflatedRange(const FileBytes &file, uint64_t offset, uint64_t length,
                             std::vector<unsigned char> *input)
    : file_(file),
      offset_(offset),
      next_(offset),
      end_(offset + length),
      input_(input != nullptr ? *input : ownInput_) {}

bool InflatedRange::start(bool withZlib) {
  inflater_ = withZlib ? makeZlibInflater() : makeInflater();
  withZlib_ = withZlib;
  next_ = offset_;
  piece_ = kFirstPiece;
  ended_ = false;
  inflated_ = 0;
  if (!inflater_->start()) failed_ = true;
  return !failed_;
}

bool InflatedRange::refill() {
  if (next_ >= end_) return false;
  size_t take = static_cast<size_t>(std::min<uint64_t>(piece_, end_ - next_));
  if (input_.size() < take) input_.resize(take);
  if (!file_.readDirect(next_, input_.data(), take)) return false;
  next_ += take;
  inflater_->giveInput(input_.data(), take);
  piece_ = std::min(piece_ * 2, kLargestPiece);
  return true;
}

bool InflatedRange::inflateInto(unsigned char *out, size_t length) {
  if (!inflater_ && !failed_) start(false);
  while (length > 0) {
    if (failed_ || ended_) return false;
    size_t produced = 0;
    Inflater::Status status = inflater_->inflate(out, length, produced);
    out += produced;
    length -= produced;
    inflated_ += produced;
    switch (status) {
      case Inflater::Status::Full: break;
      case Inflater::Status::End: ended_ = true; break;
      case Inflater::Status::NeedInput:
        if (!refill()) failed_ = true;
        break;
      case Inflater::Status::Broken:
        if (withZlib_ || !retryWithZlib()) {
          failed_ = true;
          errorText_ = inflater_->errorText();
        }
        break;
    }
  }
  return true;
}

// Starts the stream again with zlib and inflates, to throw away, what was
// already handed out; the caller's read goes on from there.
bool InflatedRange::retryWithZlib() {
  uint64_t reached = inflated_;
  if (!start(true)) return false;
  unsigned char scratch[kScratchSize];
  while (inflated_ < reached) {
    size_t part = static_cast<size_t>(std::min<uint64_t>(reached - inflated_, kScratchSize));
    if (!inflateInto(scratch, part)) return false;
  }
  return !failed_;
}

bool InflatedRange::read(unsigned char *out, size_t length) { return inflateInto(out, length); }

bool InflatedRange::skip(uint64_t length) {
  unsigned char scratch[kScratchSize];
  while (length > 0) {
    size_t part = static_cast<size_t>(std::min<uint64_t>(length, kScratchSize));
    if (!inflateInto(scratch, part)) return false;
    length -= part;
  }
  return true;
}

bool InflatedRange::ends() {
  if (!inflater_ && !failed_) start(false);
  while (!ended_ && !failed_) {
    unsigned char extra = 0;
    size_t produced = 0;
    Inflater::Status status = inflater_->inflate(&extra, 1, produced);
    if (produced != 0) return false;  // inflated bytes beyond the end
    switch (status) {
      case Inflater::Status::Full: break;
      case Inflater::Status::End: ended_ = true; break;
      case Inflater::Status::NeedInput:
        if (!refill()) failed_ = true;
        break;
      case Inflater::Status::Broken:
        if (withZlib_ || !retryWithZlib()) {
          failed_ = true;
          errorText_ = inflater_->errorText();
        }
        break;
    }
  }
  return ended_ && !failed_;
}
