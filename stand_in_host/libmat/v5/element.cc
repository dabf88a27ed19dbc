#include "v5/element.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/byte_order.h"
#include "common/text_format.h"
#include "v5/stored_types.h"

namespace mat_v5 {

namespace {
constexpr size_t kChunkSize = size_t(32) << 10;
}

bool fault(const Span &span, const char *format, ...) {
  if (span.check == nullptr || span.check->found) return false;
  va_list arguments;
  va_start(arguments, format);
  span.check->what = formatTextList(format, arguments);
  va_end(arguments);
  span.check->found = true;
  span.check->position = span.in->position();
  return false;
}

bool readTag(Span &span, Tag &tag) {
  unsigned char bytes[8];
  if (span.left < 8) {
    return fault(span, "%llu bytes left where a tag of 8 is due",
                 static_cast<unsigned long long>(span.left));
  }
  if (!span.in->read(bytes, 8)) return false;
  span.left -= 8;
  uint32_t words[2];
  std::memcpy(words, bytes, 8);
  if (span.swapBytes) byte_order::swapEach(words, 2, 4);
  tag = Tag();
  if ((words[0] >> 16) != 0) {
    tag.small = true;
    tag.type = words[0] & 0xFFFF;
    tag.nbytes = words[0] >> 16;
    std::memcpy(tag.inlineData, bytes + 4, 4);
    return tag.nbytes <= 4 || fault(span, "a small element claims %u bytes (at most 4)", tag.nbytes);
  }
  tag.type = words[0];
  tag.nbytes = words[1];
  if (tag.nbytes > span.left) {
    return fault(span, "an element of type %u claims %u bytes; %llu are left around it",
                 tag.type, tag.nbytes, static_cast<unsigned long long>(span.left));
  }
  span.left -= tag.nbytes;
  tag.padding = static_cast<uint32_t>(std::min<uint64_t>((8 - tag.nbytes % 8) % 8, span.left));
  span.left -= tag.padding;
  return true;
}

bool readBody(Span &span, const Tag &tag, void *destination) {
  if (tag.small) {
    std::memcpy(destination, tag.inlineData, tag.nbytes);
    return true;
  }
  return span.in->read(destination, tag.nbytes) && span.in->skip(tag.padding);
}

bool skipBody(Span &span, const Tag &tag) {
  return tag.small || span.in->skip(uint64_t(tag.nbytes) + tag.padding);
}

bool readBodyInChunks(Span &span, const Tag &tag, size_t unit,
                      const std::function<bool(unsigned char *, size_t)> &consume) {
  alignas(8) unsigned char chunk[kChunkSize];
  if (tag.small) {
    std::memcpy(chunk, tag.inlineData, tag.nbytes);
    return consume(chunk, tag.nbytes);
  }
  size_t left = tag.nbytes;
  while (left > 0) {
    size_t part = std::min(left, kChunkSize);
    if (part > unit) part -= part % unit;
    if (!span.in->read(chunk, part) || !consume(chunk, part)) return false;
    left -= part;
  }
  return span.in->skip(tag.padding);
}

Span enterElement(const Span &parent, const Tag &tag) {
  Span child;
  child.in = parent.in;
  child.swapBytes = parent.swapBytes;
  child.left = tag.small ? 0 : tag.nbytes;
  child.check = parent.check;
  return child;
}

bool leaveElement(Span &child, const Tag &tag, bool skipRest) {
  if (child.left != 0) {
    if (!skipRest) {
      return fault(child, "%llu bytes left over after a nested array",
                   static_cast<unsigned long long>(child.left));
    }
    if (!child.in->skip(child.left)) return false;
    child.left = 0;
  }
  return tag.small || child.in->skip(tag.padding);
}

}  // namespace mat_v5
