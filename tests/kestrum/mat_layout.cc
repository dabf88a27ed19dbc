#include "mat_layout.h"

#include <cstring>

namespace {

const uint32_t miInt32 = 5, miUint32 = 6, miUtf8 = 16;
const size_t fileHeaderBytes = 128;

size_t padded8(size_t n) { return (n + 7) / 8 * 8; }

// Applies `change` to the fields of every top-level element of a file whose
// elements are all uncompressed miMATRIX.
template <typename Change>
std::string changeEachVariable(std::string file, Change change) {
  size_t offset = fileHeaderBytes;
  MatrixFields fields;
  while (locateMatrixFields(file, offset, fields)) {
    change(file, fields);
    offset = fields.end;
  }
  return file;
}

}  // namespace

uint32_t getU32(const std::string &bytes, size_t offset) {
  uint32_t value = 0;
  if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

void putU32(std::string &bytes, size_t offset, uint32_t value) {
  if (offset + 4 <= bytes.size()) std::memcpy(&bytes[offset], &value, 4);
}

bool locateMatrixFields(const std::string &bytes, size_t offset, MatrixFields &fields) {
  if (offset + 40 > bytes.size() || getU32(bytes, offset) != 14) return false;
  fields.tag = offset;
  fields.end = offset + 8 + getU32(bytes, offset + 4);
  fields.flags = offset + 16;
  fields.dimsTag = offset + 24;
  fields.nameTag = fields.dimsTag + 8 + padded8(getU32(bytes, fields.dimsTag + 4));
  uint32_t nameWord = getU32(bytes, fields.nameTag);
  fields.smallName = (nameWord >> 16) != 0;
  fields.dataTag =
      fields.nameTag + (fields.smallName ? 8 : 8 + padded8(getU32(bytes, fields.nameTag + 4)));
  return fields.end <= bytes.size() && fields.dataTag <= fields.end;
}

std::string withUint32Dimensions(std::string v6File) {
  return changeEachVariable(std::move(v6File), [](std::string &file, const MatrixFields &f) {
    if (getU32(file, f.dimsTag) == miInt32) putU32(file, f.dimsTag, miUint32);
  });
}

std::string withUtf8Names(std::string v6File) {
  return changeEachVariable(std::move(v6File), [](std::string &file, const MatrixFields &f) {
    uint32_t word = getU32(file, f.nameTag);
    putU32(file, f.nameTag, f.smallName ? (word & 0xFFFF0000u) | miUtf8 : miUtf8);
  });
}

std::string withSubsystemData(std::string v6File) {
  if (v6File.size() < fileHeaderBytes) return v6File;
  uint64_t offset = v6File.size();
  // A 1x8 uint8 array with an empty name, as writers store their object data.
  const uint32_t element[] = {14, 56,       // miMATRIX, 56 bytes
                              6, 8, 9, 0,   // array flags: class uint8
                              5, 8, 1, 8,   // dimensions 1x8
                              1, 0,         // empty name
                              2, 8, 0, 0};  // eight bytes of uint8 data
  v6File.append(reinterpret_cast<const char *>(element), sizeof element);
  std::memcpy(&v6File[116], &offset, 8);
  return v6File;
}

const std::vector<FileVariation> &fileVariations() {
  static const std::vector<FileVariation> variations = {
      {"uint32_dimensions", withUint32Dimensions},
      {"utf8_names", withUtf8Names},
      {"subsystem_data", withSubsystemData}};
  return variations;
}
