// A bounded cursor over bytes in memory, for decoding headers and messages.
// Every read past the end fails; the first failure sticks, so a decoder
// reads all its fields and checks ok() once. Numbers are read in the
// byte order given at construction.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_BYTE_CURSOR_H
#define STAND_IN_HOST_LIBMAT_COMMON_BYTE_CURSOR_H

#include <cstddef>
#include <cstdint>
#include <string>

class ByteCursor {
 public:
  ByteCursor(const void *data, size_t size, bool swap = false)
      : data_(static_cast<const unsigned char *>(data)), size_(size), swap_(swap) {}

  uint8_t u8();
  uint16_t u16();
  uint32_t u32();
  uint64_t u64();
  // The next `length` bytes, or null (and a failure) if they are not there.
  const unsigned char *take(size_t length);
  // Copies the next `length` bytes.
  void copy(void *destination, size_t length);
  // A length (u64) followed by that many bytes; at most `limit` of them.
  std::string text(size_t limit);
  void skip(size_t length) { take(length); }

  // Marks the bytes as not holding what the decoder expected.
  void fail() { failed_ = true; }
  bool ok() const { return !failed_; }
  size_t offset() const { return offset_; }
  size_t left() const { return failed_ ? 0 : size_ - offset_; }
  bool atEnd() const { return ok() && offset_ == size_; }

 private:
  template <typename Word>
  Word number();

  const unsigned char *data_;
  size_t size_;
  bool swap_;
  size_t offset_ = 0;
  bool failed_ = false;
};

#endif
