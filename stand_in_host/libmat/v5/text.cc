#include "v5/text.h"

#include <cstring>

#include "common/byte_order.h"
#include "v5/stored_types.h"
#include "v5/values.h"

namespace mat_v5 {

namespace {

// Appends code points as UTF-16 units, never beyond the room it was given
// (a null `next` only counts them). A surrogate code point keeps its code
// unit, as an unpaired surrogate does in UTF-16; a number beyond U+10FFFF
// becomes the replacement character.
struct UnitWriter {
  uint16_t *next;
  size_t room;

  bool put(uint32_t codePoint) {
    if (codePoint > 0x10FFFF) codePoint = 0xFFFD;
    if (codePoint < 0x10000) {
      if (room < 1) return false;
      if (next != nullptr) *next++ = static_cast<uint16_t>(codePoint);
      room -= 1;
      return true;
    }
    if (room < 2) return false;
    codePoint -= 0x10000;
    if (next != nullptr) {
      *next++ = static_cast<uint16_t>(0xD800 + (codePoint >> 10));
      *next++ = static_cast<uint16_t>(0xDC00 + (codePoint & 0x3FF));
    }
    room -= 2;
    return true;
  }
};

// Decodes UTF-8 one byte at a time, so that sequences may span chunks.
// Well-formed sequences give their code point. A byte that does not begin a
// well-formed sequence (a stray continuation byte, an overlong form, a
// surrogate, a sequence cut short) gives the character of the byte's own
// value: GNU Octave writes Latin-1 text under the UTF-8 type, and reads it
// back that way. Text content alone never fails; only running out of room
// does.
class Utf8Decoder {
 public:
  bool push(unsigned char byte, UnitWriter &writer) {
    held_[count_++] = byte;
    return drain(writer, false);
  }
  // Decodes what is still held at the end of the text.
  bool finish(UnitWriter &writer) { return drain(writer, true); }

 private:
  // The length of the sequence a lead byte begins; 0 if it begins none.
  static int sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
  }

  // True if `byte` may stand at place `k` (from 1) of a sequence led by
  // `lead`; the second byte's range rules out overlong forms, surrogates
  // and code points beyond U+10FFFF.
  static bool continues(unsigned char lead, int k, unsigned char byte) {
    unsigned char low = 0x80, high = 0xBF;
    if (k == 1) {
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    return byte >= low && byte <= high;
  }

  bool drain(UnitWriter &writer, bool atEnd) {
    while (count_ > 0) {
      int length = sequenceLength(held_[0]);
      bool wellFormed = length > 0;
      for (int k = 1; wellFormed && k < count_ && k < length; ++k)
        wellFormed = continues(held_[0], k, held_[k]);
      if (wellFormed && count_ < length && !atEnd) return true;  // wait for more bytes
      if (!wellFormed || count_ < length) {
        if (!writer.put(held_[0])) return false;
        drop(1);
        continue;
      }
      uint32_t codePoint = length == 1 ? held_[0] : held_[0] & (0x7F >> length);
      for (int k = 1; k < length; ++k) codePoint = (codePoint << 6) | (held_[k] & 0x3F);
      if (!writer.put(codePoint)) return false;
      drop(length);
    }
    return true;
  }

  void drop(int n) {
    for (int k = n; k < count_; ++k) held_[k - n] = held_[k];
    count_ -= n;
  }

  unsigned char held_[4] = {0, 0, 0, 0};
  int count_ = 0;
};

bool readUtf8(Span &span, const Tag &tag, UnitWriter &writer) {
  Utf8Decoder decoder;
  bool ok = readBodyInChunks(span, tag, 1, [&](unsigned char *chunk, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
      if (!decoder.push(chunk[i], writer)) return false;
    return true;
  });
  return ok && decoder.finish(writer);
}

bool readUtf32(Span &span, const Tag &tag, UnitWriter &writer) {
  bool swap = span.swapBytes;
  return readBodyInChunks(span, tag, 4, [&](unsigned char *chunk, size_t bytes) {
    if (swap) byte_order::swapEach(chunk, bytes / 4, 4);
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

// The text must decode to exactly `count` units: no more (the writer runs
// out of room) and no fewer.
bool decodesTo(const Span &span, bool decoded, const UnitWriter &writer, size_t count) {
  if (decoded && writer.room == 0) return true;
  if (decoded) {
    return fault(span, "the text decodes to %zu characters, not %zu", count - writer.room, count);
  }
  return fault(span, "the text decodes to more than %zu characters", count);
}

bool readCharacters(Span &span, const Tag &tag, size_t count, uint16_t *units) {
  if (!canHoldCharacters(tag, count)) {
    return fault(span, "%u bytes of text stored as element type %u cannot hold %zu characters",
                 tag.nbytes, tag.type, count);
  }
  UnitWriter writer{units, count};
  switch (tag.type) {
    case kUtf8: return decodesTo(span, readUtf8(span, tag, writer), writer, count);
    case kUtf32: return decodesTo(span, readUtf32(span, tag, writer), writer, count);
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
