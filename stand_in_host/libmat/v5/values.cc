#include "v5/values.h"

#include <cstring>

#include "common/byte_order.h"
#include "v5/stored_types.h"

namespace mat_v5 {

bool countStoredValues(const Tag &tag, size_t &count) {
  ArrayClass stored;
  if (!classOfStoredType(tag.type, stored)) return false;
  size_t size = elementSize(stored);
  if (tag.nbytes % size != 0) return false;
  count = tag.nbytes / size;
  return true;
}

bool countValues(const Span &span, const Tag &tag, size_t &count) {
  ArrayClass stored;
  if (!classOfStoredType(tag.type, stored)) {
    return fault(span, "data stored as element type %u, which holds no numbers", tag.type);
  }
  if (!countStoredValues(tag, count)) {
    return fault(span, "%u bytes of data are not a whole number of %s values", tag.nbytes,
                 className(stored));
  }
  return true;
}

bool readValues(Span &span, const Tag &tag, ArrayClass cls, size_t count, void *destination) {
  ArrayClass stored;
  size_t storedCount = 0;
  if (!countValues(span, tag, storedCount)) return false;
  if (storedCount != count) {
    return fault(span, "%zu values stored for %zu", storedCount, count);
  }
  if (destination == nullptr) return skipBody(span, tag);
  classOfStoredType(tag.type, stored);
  size_t size = elementSize(stored);
  ArrayClass target = standin::storageClass(cls);
  if (stored == target) {
    if (!readBody(span, tag, destination)) return false;
    if (span.swapBytes) byte_order::swapEach(destination, count, size);
    return true;
  }
  unsigned char *out = static_cast<unsigned char *>(destination);
  size_t targetSize = elementSize(target);
  bool swap = span.swapBytes;
  return readBodyInChunks(span, tag, size, [&](unsigned char *chunk, size_t bytes) {
    size_t values = bytes / size;
    if (swap) byte_order::swapEach(chunk, values, size);
    standin::convertValues(stored, chunk, cls, out, values);
    out += values * targetSize;
    return true;
  });
}

bool scanIndices(Span &span, const Tag &tag, size_t count,
                 const std::function<bool(const size_t *, size_t)> &take) {
  if (tag.type != kInt32 && tag.type != kUint32) {
    return fault(span, "indices stored as element type %u, not as 32-bit integers", tag.type);
  }
  if (tag.nbytes % 4 != 0 || tag.nbytes / 4 != count) {
    return fault(span, "%u bytes of indices where %zu are due", tag.nbytes, count);
  }
  bool isSigned = tag.type == kInt32;
  bool swap = span.swapBytes;
  size_t values[1024];
  return readBodyInChunks(span, tag, 4, [&](unsigned char *chunk, size_t bytes) {
    if (swap) byte_order::swapEach(chunk, bytes / 4, 4);
    for (size_t i = 0; i < bytes;) {
      size_t n = 0;
      for (; n < 1024 && i < bytes; ++n, i += 4) {
        uint32_t value;
        std::memcpy(&value, chunk + i, 4);
        if (isSigned && value > uint32_t(INT32_MAX)) {
          return fault(span, "a negative index or dimension, %d", static_cast<int32_t>(value));
        }
        values[n] = value;
      }
      if (!take(values, n)) return false;
    }
    return true;
  });
}

bool readIndices(Span &span, const Tag &tag, size_t count, size_t *destination) {
  return scanIndices(span, tag, count, [&](const size_t *values, size_t n) {
    std::memcpy(destination, values, n * sizeof(size_t));
    destination += n;
    return true;
  });
}

bool readDimensions(Span &span, const Tag &tag, std::vector<size_t> &dims) {
  if (tag.nbytes % 4 != 0 || tag.nbytes / 4 < 2) {
    return fault(span, "%u bytes of dimensions: fewer than two 32-bit integers", tag.nbytes);
  }
  dims.assign(tag.nbytes / 4, 0);
  return readIndices(span, tag, dims.size(), dims.data());
}

bool isTextType(uint32_t type) { return type == kInt8 || type == kUint8 || type == kUtf8; }

bool readText(Span &span, const Tag &tag, std::string &text) {
  if (!isTextType(tag.type)) return fault(span, "a name stored as element type %u, not as text", tag.type);
  text.assign(tag.nbytes, '\0');
  if (!readBody(span, tag, &text[0])) return false;
  return text.find('\0') == std::string::npos || fault(span, "a name with a NUL byte in it");
}

}  // namespace mat_v5
