#include "common/inflated_range.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kFirstPiece = size_t(4) << 10;
constexpr size_t kLargestPiece = size_t(1) << 20;
// Reads of at least this many bytes inflate straight into the caller's
// memory; smaller ones (tags, flags, names) are served from bytes inflated
// ahead, so that walking many small elements costs few calls of the
// inflater.
constexpr size_t kDirectRead = size_t(16) << 10;
constexpr size_t kAhead = size_t(64) << 10;
constexpr size_t kScratchSize = size_t(16) << 10;  // output that skip() throws away
constexpr size_t kSkipBuffer = size_t(256) << 10;
// Streams shorter than this inflate with zlib from the start: ISA-L's
// faster decoding does not make up for what it costs to set up each stream
// until a stream inflates to several hundred bytes (20,000 variables of a
// few hundred bytes each read about an eighth faster with zlib).
constexpr uint64_t kSmallStream = 1024;
}  // namespace

InflatedRange::InflatedRange(const FileBytes &file, uint64_t offset, uint64_t length,
                             InflateWorkspace *workspace)
    : file_(file),
      offset_(offset),
      next_(offset),
      end_(offset + length),
      workspace_(workspace != nullptr ? *workspace : ownWorkspace_) {}

bool InflatedRange::start(bool withZlib) {
  if (withZlib) {
    if (!workspace_.zlib) workspace_.zlib = makeZlibInflater();
  } else if (!workspace_.inflater) {
    workspace_.inflater = makeInflater();
  }
  started_ = true;
  withZlib_ = withZlib;
  next_ = offset_;
  piece_ = kFirstPiece;
  ended_ = false;
  brokenAhead_ = false;
  aheadAt_ = aheadEnd_ = 0;
  if (!inflater().start()) failed_ = true;
  return !failed_;
}

void InflatedRange::startOnFirstRead() {
  if (!started_ && !failed_) start(end_ - offset_ < kSmallStream);
}

bool InflatedRange::refill() {
  if (next_ >= end_) return false;
  size_t take = static_cast<size_t>(std::min<uint64_t>(piece_, end_ - next_));
  std::vector<unsigned char> &input = workspace_.input;
  if (input.size() < take) input.resize(take);
  bool read = workspace_.fileShared ? file_.readDirect(next_, input.data(), take)
                                    : file_.readAt(next_, input.data(), take);
  if (!read) return false;
  next_ += take;
  inflater().giveInput(input.data(), take);
  piece_ = std::min(piece_ * 2, kLargestPiece);
  return true;
}

// Inflates into out[0, room) until it is full, the stream ends or breaks,
// or the input runs out; `produced` says how much came.
Inflater::Status InflatedRange::inflateSome(unsigned char *out, size_t room, size_t &produced) {
  produced = 0;
  for (;;) {
    size_t made = 0;
    Inflater::Status status = inflater().inflate(out + produced, room - produced, made);
    produced += made;
    if (status != Inflater::Status::NeedInput) return status;
    if (!refill()) return Inflater::Status::NeedInput;
  }
}

// After a break from the faster inflater, which decodes ahead: the stream
// is started again with zlib and inflated, to throw away, up to what was
// handed out; the reading goes on from there with zlib.
bool InflatedRange::retryWithZlib() {
  uint64_t served = served_;
  if (!start(true)) return false;
  unsigned char scratch[kScratchSize];
  for (uint64_t done = 0; done < served;) {
    size_t part = static_cast<size_t>(std::min<uint64_t>(served - done, kScratchSize));
    size_t produced = 0;
    Inflater::Status status = inflateSome(scratch, part, produced);
    done += produced;
    if (produced < part) {
      fail(status);
      return false;
    }
  }
  return true;
}

void InflatedRange::fail(Inflater::Status status) {
  failed_ = true;
  if (status == Inflater::Status::Broken) errorText_ = inflater().errorText();
}

// Inflates ahead into the workspace's buffer; false if no byte came.
bool InflatedRange::fillAhead() {
  std::vector<unsigned char> &ahead = workspace_.ahead;
  if (ahead.size() < kAhead) ahead.resize(kAhead);
  for (;;) {
    if (failed_ || ended_ || brokenAhead_) return false;
    size_t produced = 0;
    Inflater::Status status = inflateSome(ahead.data(), kAhead, produced);
    aheadAt_ = 0;
    aheadEnd_ = produced;
    switch (status) {
      case Inflater::Status::Full: return true;
      case Inflater::Status::End: ended_ = true; return produced > 0;
      case Inflater::Status::Broken:
      case Inflater::Status::NeedInput:
        if (withZlib_) {
          // zlib's bytes before a break or a cut are good: the reading fails
          // only when it needs more than they are.
          brokenAhead_ = true;
          if (status == Inflater::Status::Broken) errorText_ = inflater().errorText();
          return produced > 0;
        }
        aheadEnd_ = 0;
        if (!retryWithZlib()) return false;
        break;
    }
  }
}

bool InflatedRange::read(unsigned char *out, size_t length) {
  startOnFirstRead();
  while (length > 0) {
    size_t take = std::min(length, aheadEnd_ - aheadAt_);
    if (take > 0) {
      std::memcpy(out, workspace_.ahead.data() + aheadAt_, take);
      aheadAt_ += take;
      served_ += take;
      out += take;
      length -= take;
      continue;
    }
    if (failed_ || ended_ || brokenAhead_) {
      failed_ = true;
      return false;
    }
    if (length < kDirectRead) {
      if (!fillAhead()) {
        failed_ = true;
        return false;
      }
      continue;
    }
    size_t produced = 0;
    Inflater::Status status = inflateSome(out, length, produced);
    if (status == Inflater::Status::End) ended_ = true;
    if (produced == length) {
      served_ += produced;
      return true;
    }
    // Fewer bytes than asked for: zlib's verdict stands; the faster
    // inflater's is checked by zlib, which then reads this again.
    if (ended_ || withZlib_ || !retryWithZlib()) {
      fail(status);
      return false;
    }
  }
  return true;
}

// Large skips (an examination passes over whole arrays) inflate through
// the workspace's buffer of 256 KiB, small ones through a scratch here.
bool InflatedRange::skip(uint64_t length) {
  unsigned char scratch[kScratchSize];
  unsigned char *through = scratch;
  size_t room = kScratchSize;
  if (length > kScratchSize) {
    std::vector<unsigned char> &buffer = workspace_.skipped;
    if (buffer.size() < kSkipBuffer) buffer.resize(kSkipBuffer);
    through = buffer.data();
    room = buffer.size();
  }
  while (length > 0) {
    size_t part = static_cast<size_t>(std::min<uint64_t>(length, room));
    if (!read(through, part)) return false;
    length -= part;
  }
  return true;
}

bool InflatedRange::ends() {
  startOnFirstRead();
  if (aheadAt_ != aheadEnd_) return false;  // inflated bytes beyond the end
  while (!ended_) {
    if (failed_ || brokenAhead_) return false;
    unsigned char extra = 0;
    size_t produced = 0;
    Inflater::Status status = inflateSome(&extra, 1, produced);
    if (produced != 0) return false;
    if (status == Inflater::Status::End) {
      ended_ = true;
    } else if (withZlib_ || !retryWithZlib()) {
      fail(status);
      return false;
    }
  }
  return !failed_;
}
