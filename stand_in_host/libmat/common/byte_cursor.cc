#include "common/byte_cursor.h"

#include <cstring>

#include "common/byte_order.h"

template <typename Word>
Word ByteCursor::number() {
  const unsigned char *bytes = take(sizeof(Word));
  return bytes != nullptr ? byte_order::load<Word>(bytes, swap_) : Word(0);
}

uint8_t ByteCursor::u8() {
  const unsigned char *byte = take(1);
  return byte != nullptr ? *byte : 0;
}

uint16_t ByteCursor::u16() { return number<uint16_t>(); }
uint32_t ByteCursor::u32() { return number<uint32_t>(); }
uint64_t ByteCursor::u64() { return number<uint64_t>(); }

const unsigned char *ByteCursor::take(size_t length) {
  if (failed_ || length > size_ - offset_) {
    failed_ = true;
    return nullptr;
  }
  const unsigned char *at = data_ + offset_;
  offset_ += length;
  return at;
}

void ByteCursor::copy(void *destination, size_t length) {
  const unsigned char *bytes = take(length);
  if (bytes != nullptr && length > 0) std::memcpy(destination, bytes, length);
}

std::string ByteCursor::text(size_t limit) {
  uint64_t length = u64();
  if (length > limit) fail();
  const unsigned char *bytes = ok() ? take(static_cast<size_t>(length)) : nullptr;
  return bytes != nullptr ? std::string(reinterpret_cast<const char *>(bytes), length)
                          : std::string();
}
