#include "escaping.h"

namespace {

bool inRange(unsigned char byte, unsigned char low, unsigned char high) { return byte >= low && byte <= high; }

// The code points a terminal may act on: C0, DEL and C1.
bool isControl(unsigned codePoint) { return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F); }

// The code point of the well-formed sequence of `length` bytes at `at`.
unsigned decode(const std::string &bytes, size_t at, size_t length) {
  static const unsigned kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  unsigned codePoint = static_cast<unsigned char>(bytes[at]) & kLeadMask[length];
  for (size_t i = 1; i < length; ++i) codePoint = (codePoint << 6) | (static_cast<unsigned char>(bytes[at + i]) & 0x3F);
  return codePoint;
}

const char kHexDigits[] = "0123456789abcdef";

std::string hexByte(unsigned value) { return {kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]}; }

}  // namespace

size_t utf8SequenceAt(const std::string &bytes, size_t at) {
  const size_t left = bytes.size() - at;
  const unsigned char lead = static_cast<unsigned char>(bytes[at]);
  if (lead < 0x80) return 1;
  // The well-formed sequences (the Unicode Standard, table 3-7): the lead
  // byte fixes the length and the range of the second byte; every later
  // byte is 80 to BF.
  size_t length = 0;
  unsigned char secondLow = 0x80, secondHigh = 0xBF;
  if (inRange(lead, 0xC2, 0xDF)) {
    length = 2;
  } else if (lead == 0xE0) {
    length = 3, secondLow = 0xA0;
  } else if (inRange(lead, 0xE1, 0xEC) || inRange(lead, 0xEE, 0xEF)) {
    length = 3;
  } else if (lead == 0xED) {
    length = 3, secondHigh = 0x9F;
  } else if (lead == 0xF0) {
    length = 4, secondLow = 0x90;
  } else if (inRange(lead, 0xF1, 0xF3)) {
    length = 4;
  } else if (lead == 0xF4) {
    length = 4, secondHigh = 0x8F;
  } else {
    return 0;
  }
  if (left < length) return 0;
  if (!inRange(static_cast<unsigned char>(bytes[at + 1]), secondLow, secondHigh)) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!inRange(static_cast<unsigned char>(bytes[at + i]), 0x80, 0xBF)) return 0;
  }
  return length;
}

std::string escapedText(const std::string &bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = utf8SequenceAt(bytes, at);
    if (length == 0 || isControl(decode(bytes, at, length))) {
      for (size_t i = 0; i < (length == 0 ? 1 : length); ++i) {
        text += "\\x" + hexByte(static_cast<unsigned char>(bytes[at + i]));
      }
    } else {
      text.append(bytes, at, length);
    }
    at += length == 0 ? 1 : length;
  }
  return text;
}

std::string jsonString(const std::string &bytes) {
  std::string json = "\"";
  json.reserve(bytes.size() + 2);
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = utf8SequenceAt(bytes, at);
    // A byte outside any well-formed sequence stands for the code point of
    // its value.
    const unsigned codePoint = length == 0 ? static_cast<unsigned char>(bytes[at]) : decode(bytes, at, length);
    switch (length == 0 ? 0u : codePoint) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\b': json += "\\b"; break;
      case '\f': json += "\\f"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (length == 0 || isControl(codePoint)) {
          json += "\\u00" + hexByte(codePoint);
        } else {
          json.append(bytes, at, length);
        }
    }
    at += length == 0 ? 1 : length;
  }
  return json + "\"";
}
