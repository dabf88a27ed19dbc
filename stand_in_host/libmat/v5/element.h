// Data elements of version 5 MAT-files: the tag (8 bytes, or 4 for the small
// form with up to 4 bytes of data inline) and the data after it, read from a
// byte stream within the bounds of the enclosing element.
#ifndef STAND_IN_HOST_LIBMAT_V5_ELEMENT_H
#define STAND_IN_HOST_LIBMAT_V5_ELEMENT_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "common/text_format.h"

#include "v5/stream.h"

namespace mat_v5 {

// Data element types.
enum DataType : uint32_t {
  kInt8 = 1,
  kUint8 = 2,
  kInt16 = 3,
  kUint16 = 4,
  kInt32 = 5,
  kUint32 = 6,
  kSingle = 7,
  kDouble = 9,
  kInt64 = 12,
  kUint64 = 13,
  kMatrix = 14,
  kCompressed = 15,
  kUtf8 = 16,
  kUtf16 = 17,
  kUtf32 = 18,
};

// When elements are read to examine a file rather than to build arrays,
// data is checked as it streams by and dropped, and the first fault is
// kept with where in the stream it was found.
struct Check {
  bool found = false;
  std::string what;
  uint64_t position = 0;
};

// The unread rest of one element's data, taken in order from `in`.
struct Span {
  ByteStream *in = nullptr;
  bool swapBytes = false;  // numbers are in the other byte order
  uint64_t left = 0;
  Check *check = nullptr;  // examining: keep data out of arrays, say why a read fails
};

// Records `what` as the fault of the span's check, if it has one and no
// fault yet; returns false, for failing with.
bool fault(const Span &span, const char *format, ...) TEXT_FORMAT(2, 3);

struct Tag {
  uint32_t type = 0;
  uint32_t nbytes = 0;   // bytes of data, padding not included
  uint32_t padding = 0;  // bytes after the data up to the next element
  bool small = false;    // small form: the data is in `inlineData`
  unsigned char inlineData[4] = {0, 0, 0, 0};
};

// Reads the next tag from `span` and takes the element's data and padding
// out of `span.left` (the data must fit; padding cut by the end of the
// enclosing element is tolerated). The data itself is not read yet.
bool readTag(Span &span, Tag &tag);

// Reads the element's data (exactly tag.nbytes bytes) and passes its padding.
bool readBody(Span &span, const Tag &tag, void *destination);
bool skipBody(Span &span, const Tag &tag);

// Reads the element's data in chunks of at most 32 KiB, each a multiple of
// `unit` bytes (a power of two up to 8), handing every chunk to `consume`.
bool readBodyInChunks(Span &span, const Tag &tag, size_t unit,
                      const std::function<bool(unsigned char *, size_t)> &consume);

// The span of a nested element's data (a miMATRIX inside another), and
// the step that ends it: all of its data must have been read, unless
// `skipRest`, and then the padding after it is passed.
Span enterElement(const Span &parent, const Tag &tag);
bool leaveElement(Span &child, const Tag &tag, bool skipRest);

}  // namespace mat_v5

#endif
