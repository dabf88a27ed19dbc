#include "mat_layout.h"

using namespace v5fixture;

const Writer kLittleEndian;

namespace {

// Applies `change` to the fields of every top-level element of a file whose
// elements are all uncompressed miMATRIX.
template <typename Change>
std::string changeEachVariable(std::string file, Change change) {
  size_t offset = kHeaderBytes;
  MatrixFields fields;
  while (locateMatrixFields(file, offset, fields)) {
    change(file, fields);
    offset = fields.end;
  }
  return file;
}

}  // namespace

bool locateMatrixFields(const std::string &bytes, size_t offset, MatrixFields &fields) {
  Tag matrix = kLittleEndian.tag(bytes, offset);
  if (offset + 40 > bytes.size() || matrix.type != kMatrix || matrix.small) return false;
  fields.tag = offset;
  fields.end = matrix.data + matrix.nbytes;
  fields.flags = offset + 16;
  fields.dimsTag = offset + 24;
  fields.nameTag = kLittleEndian.tag(bytes, fields.dimsTag).next;
  Tag name = kLittleEndian.tag(bytes, fields.nameTag);
  fields.smallName = name.small;
  fields.dataTag = name.next;
  return fields.end <= bytes.size() && fields.dataTag <= fields.end;
}

std::string withUint32Dimensions(std::string v6File) {
  return changeEachVariable(std::move(v6File), [](std::string &file, const MatrixFields &f) {
    if (kLittleEndian.read<uint32_t>(file, f.dimsTag) == kInt32) {
      kLittleEndian.write<uint32_t>(file, f.dimsTag, kUint32);
    }
  });
}

std::string withUtf8Names(std::string v6File) {
  return changeEachVariable(std::move(v6File), [](std::string &file, const MatrixFields &f) {
    uint32_t word = kLittleEndian.read<uint32_t>(file, f.nameTag);
    kLittleEndian.write<uint32_t>(file, f.nameTag, f.smallName ? (word & 0xFFFF0000u) | kUtf8 : kUtf8);
  });
}

std::string withSubsystemData(std::string v6File) {
  if (v6File.size() < kHeaderBytes) return v6File;
  uint64_t offset = v6File.size();
  // A 1x8 uint8 array with an empty name, as writers store their object data.
  v6File += kLittleEndian.matrix(9, {1, 8}, "", kLittleEndian.element(kUint8, std::string(8, '\0')));
  kLittleEndian.write<uint64_t>(v6File, 116, offset);
  return v6File;
}

const std::vector<FileVariation> &fileVariations() {
  static const std::vector<FileVariation> variations = {
      {"uint32_dimensions", withUint32Dimensions},
      {"utf8_names", withUtf8Names},
      {"subsystem_data", withSubsystemData}};
  return variations;
}
