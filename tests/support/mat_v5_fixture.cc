#include "mat_v5_fixture.h"

#include <zlib.h>

namespace v5fixture {

std::string Writer::stored(uint32_t type, const std::vector<double> &values) const {
  std::string bytes;
  for (double v : values) {
    switch (type) {
      case kInt8: bytes += number(static_cast<int8_t>(v)); break;
      case kUint8: bytes += number(static_cast<uint8_t>(v)); break;
      case kInt16: bytes += number(static_cast<int16_t>(v)); break;
      case kUint16: bytes += number(static_cast<uint16_t>(v)); break;
      case kInt32: bytes += number(static_cast<int32_t>(v)); break;
      case kUint32: bytes += number(static_cast<uint32_t>(v)); break;
      case kSingle: bytes += number(static_cast<float>(v)); break;
      case kInt64: bytes += number(static_cast<int64_t>(v)); break;
      case kUint64: bytes += number(static_cast<uint64_t>(v)); break;
      default: bytes += number(v); break;
    }
  }
  return bytes;
}

std::string Writer::rawElement(uint32_t type, uint32_t nbytes, const std::string &data) const {
  return number(type) + number(nbytes) + data;
}

std::string Writer::element(uint32_t type, const std::string &data) const {
  std::string padding((8 - data.size() % 8) % 8, '\0');
  return rawElement(type, static_cast<uint32_t>(data.size()), data + padding);
}

std::string Writer::smallElement(uint32_t type, const std::string &data) const {
  uint32_t word = (static_cast<uint32_t>(data.size()) << 16) | type;
  return number(word) + data + std::string(4 - data.size(), '\0');
}

std::string Writer::flags(uint32_t classAndFlags, uint32_t nzmax) const {
  return element(kUint32, number(classAndFlags) + number(nzmax));
}

std::string Writer::dims(const std::vector<int32_t> &values) const {
  return element(kInt32, numbers(values));
}

std::string Writer::matrix(uint32_t classAndFlags, const std::vector<int32_t> &dimensions,
                           const std::string &arrayName, const std::string &contents) const {
  return element(kMatrix, flags(classAndFlags) + dims(dimensions) + name(arrayName) + contents);
}

std::string Writer::compressed(const std::string &matrixElement) const {
  uLongf size = compressBound(matrixElement.size());
  std::string packed(size, '\0');
  compress(reinterpret_cast<Bytef *>(&packed[0]), &size,
           reinterpret_cast<const Bytef *>(matrixElement.data()), matrixElement.size());
  packed.resize(size);
  return rawElement(kCompressed, static_cast<uint32_t>(packed.size()), packed);
}

std::string Writer::header(uint64_t subsystem) const {
  std::string text = "MATLAB 5.0 MAT-file, written by the tests";
  text.resize(116, ' ');
  text += subsystem == 0 ? std::string(8, ' ') : number(subsystem);
  text += number(uint16_t(0x0100));
  text += big ? "MI" : "IM";
  return text;
}

Tag Writer::tag(const std::string &bytes, size_t at) const {
  Tag tag;
  uint32_t word = read<uint32_t>(bytes, at);
  tag.small = (word >> 16) != 0;
  if (tag.small) {
    tag.type = word & 0xFFFFu;
    tag.nbytes = word >> 16;
    tag.data = at + 4;
    tag.next = at + 8;
  } else {
    tag.type = word;
    tag.nbytes = read<uint32_t>(bytes, at + 4);
    tag.data = at + 8;
    tag.next = tag.data + (size_t{tag.nbytes} + 7) / 8 * 8;
  }
  return tag;
}

}  // namespace v5fixture
