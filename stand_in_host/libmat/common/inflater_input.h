// What every inflater keeps of its input, whatever library inflates: the
// compressed bytes given and not yet used, the count used in this stream,
// and why the stream broke.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_INFLATER_INPUT_H
#define STAND_IN_HOST_LIBMAT_COMMON_INFLATER_INPUT_H

#include <algorithm>

#include "common/inflater.h"

class InflaterInput : public Inflater {
 public:
  void giveInput(const unsigned char *input, size_t length) override {
    input_ = input;
    inputStart_ = input;
    inputLeft_ = length;
  }
  size_t inputLeft() const override { return inputLeft_; }
  uint64_t inputUsed() const override { return used_; }
  const char *errorText() const override { return error_; }

 protected:
  // For a new stream.
  void forgetInput() {
    input_ = nullptr;
    inputStart_ = nullptr;
    inputLeft_ = 0;
    used_ = 0;
    error_ = "";
  }
  // The library used `used` more bytes of the input.
  void take(size_t used) {
    input_ += used;
    inputLeft_ -= used;
    used_ += used;
  }
  // The library read `bytes` beyond the end of the stream: they count as
  // not used (never more than the input last given).
  void giveBack(size_t bytes) {
    bytes = std::min<size_t>(bytes, static_cast<size_t>(input_ - inputStart_));
    input_ -= bytes;
    inputLeft_ += bytes;
    used_ -= bytes;
  }
  Status broken(const char *why) {
    error_ = why;
    return Status::Broken;
  }

  const unsigned char *input_ = nullptr;
  size_t inputLeft_ = 0;

 private:
  const unsigned char *inputStart_ = nullptr;  // of the input last given
  uint64_t used_ = 0;
  const char *error_ = "";
};

#endif
