#include "v5/stream.h"

namespace mat_v5 {

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

}  // namespace mat_v5
