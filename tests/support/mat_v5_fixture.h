// Version 5 MAT-file bytes for the tests: tags in either byte order, small
// elements, miMATRIX and compressed elements and the file header, so that a
// test can write any layout and break any field of it; and the same byte
// order and tags read back, to find and patch the fields of a file that
// another writer made.
#ifndef TESTS_SUPPORT_MAT_V5_FIXTURE_H
#define TESTS_SUPPORT_MAT_V5_FIXTURE_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace v5fixture {

enum Type : uint32_t {
  kInt8 = 1, kUint8 = 2, kInt16 = 3, kUint16 = 4, kInt32 = 5, kUint32 = 6, kSingle = 7,
  kDouble = 9, kInt64 = 12, kUint64 = 13, kMatrix = 14, kCompressed = 15,
  kUtf8 = 16, kUtf16 = 17, kUtf32 = 18,
};
constexpr uint32_t kComplex = 0x0800, kGlobal = 0x0400, kLogical = 0x0200;

// The file header's size; the first element follows it.
constexpr size_t kHeaderBytes = 128;

// A data element's tag as it lies in a file.
struct Tag {
  uint32_t type = 0;
  uint32_t nbytes = 0;
  bool small = false;  // type and byte count share one word, the data the next
  size_t data = 0;     // offset of the element's data
  size_t next = 0;     // offset after the element and its padding to 8 bytes
};

// Writes, and reads back, numbers in one byte order.
struct Writer {
  bool big = false;

  template <typename T>
  std::string number(T value) const {
    std::string bytes(sizeof(T), '\0');
    std::memcpy(&bytes[0], &value, sizeof(T));
    if (big) bytes.assign(bytes.rbegin(), bytes.rend());
    return bytes;
  }
  template <typename T>
  std::string numbers(const std::vector<T> &values) const {
    std::string bytes;
    for (T value : values) bytes += number(value);
    return bytes;
  }
  // Values given as doubles, stored as the given element type.
  std::string stored(uint32_t type, const std::vector<double> &values) const;

  // A data element: tag, data, padding to 8 bytes.
  std::string element(uint32_t type, const std::string &data) const;
  // A small data element (1 to 4 bytes of data inside the tag).
  std::string smallElement(uint32_t type, const std::string &data) const;
  // An element whose tag claims `nbytes` whatever the data holds.
  std::string rawElement(uint32_t type, uint32_t nbytes, const std::string &data) const;

  std::string flags(uint32_t classAndFlags, uint32_t nzmax = 0) const;
  std::string dims(const std::vector<int32_t> &dims) const;
  std::string name(const std::string &text) const { return element(kInt8, text); }
  // miMATRIX element: flags, dimensions, name, then `contents`.
  std::string matrix(uint32_t classAndFlags, const std::vector<int32_t> &dims,
                     const std::string &name, const std::string &contents) const;
  // The same miMATRIX element compressed (zlib stream with its checksum).
  std::string compressed(const std::string &matrixElement) const;
  // The 128-byte file header; `subsystem` 0 is written as spaces.
  std::string header(uint64_t subsystem = 0) const;

  // The number at `at` of `bytes`; 0 where it would lie past the end.
  template <typename T>
  T read(const std::string &bytes, size_t at) const {
    T value{};
    if (at > bytes.size() || bytes.size() - at < sizeof(T)) return value;
    std::string field = bytes.substr(at, sizeof(T));
    if (big) field.assign(field.rbegin(), field.rend());
    std::memcpy(&value, field.data(), sizeof(T));
    return value;
  }
  // Overwrites the number at `at` of `bytes`; nothing where it would lie
  // past the end.
  template <typename T>
  void write(std::string &bytes, size_t at, T value) const {
    if (at <= bytes.size() && bytes.size() - at >= sizeof(T)) bytes.replace(at, sizeof(T), number(value));
  }
  // The tag at `at` of `bytes`.
  Tag tag(const std::string &bytes, size_t at) const;
};

}  // namespace v5fixture

#endif
