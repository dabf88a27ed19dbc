// Version 5 MAT-files built byte by byte for the reader's tests: tags in
// either byte order, small elements, miMATRIX and compressed elements, so
// that a test can write any layout and break any field of it.
#ifndef TESTS_LIBMAT_MAT_V5_FIXTURE_H
#define TESTS_LIBMAT_MAT_V5_FIXTURE_H

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mat.h"
#include "mx_array.h"

namespace v5fixture {

enum Type : uint32_t {
  kInt8 = 1, kUint8 = 2, kInt16 = 3, kUint16 = 4, kInt32 = 5, kUint32 = 6, kSingle = 7,
  kDouble = 9, kInt64 = 12, kUint64 = 13, kMatrix = 14, kCompressed = 15,
  kUtf8 = 16, kUtf16 = 17, kUtf32 = 18,
};
constexpr uint32_t kComplex = 0x0800, kGlobal = 0x0400, kLogical = 0x0200;

// Writes numbers in one byte order.
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
};

struct MatCloser {
  void operator()(MATFile *mat) const { matClose(mat); }
};
using MatPtr = std::unique_ptr<MATFile, MatCloser>;

// Writes the bytes to a fresh temporary file and returns its path.
std::string writeFile(const std::string &bytes);

// What libmat makes of a file in the three passes kestrum runs (the later
// passes run even when an earlier one failed).
struct Passes {
  bool opened = false;
  bool listed = false;                 // matGetDir gave a list
  std::vector<std::string> names;      // its names
  std::vector<standin::ArrayPtr> headers;  // matGetNextVariableInfo until null
  std::vector<standin::ArrayPtr> wholes;   // matGetNextVariable until null
};
Passes readPasses(const std::string &bytes);

// The array's real (or imaginary) values as doubles, whatever its class.
std::vector<double> valuesOf(const mxArray &array, bool imaginary = false);

}  // namespace v5fixture

#endif
