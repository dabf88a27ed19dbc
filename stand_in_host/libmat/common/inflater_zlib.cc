// The inflater on zlib.
#include <zlib.h>

#include <algorithm>
#include <new>

#include "common/inflater_input.h"

namespace {

constexpr size_t kLargestCall = size_t(1) << 30;  // fits zlib's uInt

class ZlibInflater : public InflaterInput {
 public:
  ~ZlibInflater() override { end(); }

  bool start() override {
    end();
    stream_ = z_stream();
    if (inflateInit(&stream_) != Z_OK) return false;
    started_ = true;
    forgetInput();
    return true;
  }

  Status inflate(unsigned char *output, size_t room, size_t &produced) override {
    produced = 0;
    if (!started_) return broken("inflater not started");
    while (produced < room) {
      uInt in = static_cast<uInt>(std::min(inputLeft_, kLargestCall));
      uInt out = static_cast<uInt>(std::min(room - produced, kLargestCall));
      if (in == 0) return Status::NeedInput;
      stream_.next_in = const_cast<Bytef *>(input_);
      stream_.avail_in = in;
      stream_.next_out = output + produced;
      stream_.avail_out = out;
      int status = ::inflate(&stream_, Z_NO_FLUSH);
      size_t used = in - stream_.avail_in;
      take(used);
      size_t made = out - stream_.avail_out;
      produced += made;
      if (status == Z_STREAM_END) return Status::End;
      if (status == Z_BUF_ERROR && used == 0 && made == 0) return broken("no progress");
      if (status == Z_BUF_ERROR) continue;
      if (status != Z_OK) return broken(stream_.msg != nullptr ? stream_.msg : "inflate failed");
    }
    return Status::Full;
  }


 private:
  void end() {
    if (started_) inflateEnd(&stream_);
    started_ = false;
  }

  z_stream stream_{};
  bool started_ = false;
};

}  // namespace

std::unique_ptr<Inflater> makeZlibInflater() { return std::unique_ptr<Inflater>(new ZlibInflater); }

#if !defined(MAT_INFLATE_WITH_ISAL)
std::unique_ptr<Inflater> makeIsalInflater() { return nullptr; }
#endif
