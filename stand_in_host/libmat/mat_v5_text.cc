#include "mat_v5_text.h"

#include <cstring>

#include "mat_v5_convert.h"
#include "mat_v5_values.h"

namespace mat_v5 {

namespace {

// Appends code points as UTF-16 units, never beyond the room it was given.
struct UnitWriter {
  uint16_t *next;
  size_t room;

  bool put(uint32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return false;
    if (codePoint < 0x10000) {
      if (room < 1) return false;
      *next++ = static_cast<uint16_t>(codePoint);
      room -= 1;
      return true;
    }
    if (room < 2) return false;
    codePoint -= 0x10000;
    *next++ = static_cast<uint16_t>(0xD800 + (codePoint >> 10));
    *next++ = static_cast<uint16_t>(0xDC00 + (codePoint & 0x3FF));
    room -= 2;
    return true;
  }
};

// Decodes UTF-8 one byte at a time, so that sequences may span chunks.
// Overlong forms, surrogates and stray continuation bytes are refused.
struct Utf8Decoder {
  uint32_t codePoint = 0;
  uint32_t smallest = 0;
  int pending = 0;

  bool push(unsigned char byte, UnitWriter &writer) {
    if (pending == 0) {
      if (byte < 0x80) return writer.put(byte);
      if ((byte & 0xE0) == 0xC0) return begin(byte & 0x1F, 1, 0x80);
      if ((byte & 0xF0) == 0xE0) return begin(byte & 0x0F, 2, 0x800);
      if ((byte & 0xF8) == 0xF0) return begin(byte & 0x07, 3, 0x10000);
      return false;
    }
    if ((byte & 0xC0) != 0x80) return false;
    codePoint = (codePoint << 6) | (byte & 0x3F);
    if (--pending > 0) return true;
    return codePoint >= smallest && writer.put(codePoint);
  }

  bool begin(uint32_t bits, int continuations, uint32_t least) {
    codePoint = bits;
    pending = continuations;
    smallest = least;
    return true;
  }
};

bool readUtf8(Span &span, const Tag &tag, UnitWriter &writer) {
  Utf8Decoder decoder;
  bool ok = readBodyInChunks(span, tag, 1, [&](unsigned char *chunk, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
      if (!decoder.push(chunk[i], writer)) return false;
    return true;
  });
  return ok && decoder.pending == 0;
}

bool readUtf32(Span &span, const Tag &tag, UnitWriter &writer) {
  bool swap = span.swapBytes;
  return readBodyInChunks(span, tag, 4, [&](unsigned char *chunk, size_t bytes) {
    if (swap) swapBytes(chunk, bytes / 4, 4);
    for (size_t i = 0; i < bytes; i += 4) {
      uint32_t codePoint;
      std::memcpy(&codePoint, chunk + i, 4);
      if (!writer.put(codePoint)) return false;
    }
    return true;
  });
}

}  // namespace

bool canHoldCharacters(const Tag &tag, size_t count) {
  size_t stored = 0;
  switch (tag.type) {
    case kUtf8: return count <= tag.nbytes;          // 1 to 3 bytes per unit
    case kUtf16: return tag.nbytes % 2 == 0 && count == tag.nbytes / 2;
    case kUtf32: return tag.nbytes % 4 == 0 && count <= tag.nbytes / 2;  // 2 or 4 bytes per unit
    default: return countStoredValues(tag, stored) && stored == count;
  }
}

bool readCharacters(Span &span, const Tag &tag, size_t count, uint16_t *units) {
  if (!canHoldCharacters(tag, count)) return false;
  UnitWriter writer{units, count};
  switch (tag.type) {
    case kUtf8:
      return readUtf8(span, tag, writer) && writer.room == 0;
    case kUtf32:
      return readUtf32(span, tag, writer) && writer.room == 0;
    case kUtf16: {
      Tag asUint16 = tag;
      asUint16.type = kUint16;
      return readValues(span, asUint16, ArrayClass::Char, count, units);
    }
    default:
      return readValues(span, tag, ArrayClass::Char, count, units);
  }
}

}  // namespace mat_v5
