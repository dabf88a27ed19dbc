#include "v5/reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/byte_order.h"
#include "v5/array.h"
#include "v5/stored_types.h"
#include "v5/element.h"
#include "v5/stream.h"

namespace mat_v5 {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kSubsystemAt = 116;
constexpr size_t kVersionAt = 124;
constexpr size_t kEndianAt = 126;
constexpr uint16_t kVersion5 = 0x0100;
constexpr uint16_t kEndianNative = ('M' << 8) | 'I';  // "IM" on a little-endian writer
constexpr uint16_t kEndianSwapped = ('I' << 8) | 'M';

uint64_t readSubsystemOffset(const unsigned char *bytes, bool swap) {
  static const unsigned char spaces[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  if (std::memcmp(bytes, spaces, 8) == 0) return 0;
  uint64_t offset;
  std::memcpy(&offset, bytes, 8);
  if (swap) byte_order::swapEach(&offset, 1, 8);
  return offset;
}

ArrayPtr readPlainVariable(const FileBytes &file, const FileHeader &header,
                           const TopElement &element, bool whole) {
  FileRangeStream stream(file, element.dataOffset, element.nbytes);
  Span body{&stream, header.swapBytes, element.nbytes};
  ArrayPtr array = readMatrix(body, whole, 0);
  if (array && whole && body.left != 0) return nullptr;
  return array;
}

// A compressed element inflates to exactly one miMATRIX element, tag
// included. A header-only read inflates no further than the name. matio
// writes some char arrays with a miMATRIX size 8 bytes beyond what follows
// in the stream; such an element is read when its stream, checksum right,
// ends just after its last sub-element.
ArrayPtr readCompressedVariable(const FileBytes &file, const FileHeader &header,
                                const TopElement &element, bool whole,
                                InflateWorkspace &workspace) {
  InflateStream stream(file, element.dataOffset, element.nbytes, &workspace);
  Span inflated{&stream, header.swapBytes, kMaxInflation * element.nbytes + kInflationSlack};
  Tag tag;
  if (!readTag(inflated, tag) || tag.type != kMatrix || tag.small) return nullptr;
  Span body = enterElement(inflated, tag);
  ArrayPtr array = readMatrix(body, whole, 0);
  if (array && whole && !stream.endsHere()) return nullptr;
  return array;
}

ArrayPtr readTopVariable(const FileBytes &file, const FileHeader &header,
                         const TopElement &element, bool whole, InflateWorkspace &workspace) {
  ArrayPtr array = element.type == kMatrix
                       ? readPlainVariable(file, header, element, whole)
                       : readCompressedVariable(file, header, element, whole, workspace);
  if (!array || array->name.empty()) return nullptr;
  return array;
}

}  // namespace

bool readTopElement(const FileBytes &file, const FileHeader &header, uint64_t offset,
                    TopElement &element) {
  uint32_t words[2];
  if (!file.readAt(offset, words, 8)) return false;
  if (header.swapBytes) byte_order::swapEach(words, 2, 4);
  element.type = words[0];
  element.nbytes = words[1];
  element.dataOffset = offset + 8;
  if (element.type != kMatrix && element.type != kCompressed) return false;
  if (!file.holds(element.dataOffset, element.nbytes)) return false;
  element.next = element.dataOffset + element.nbytes;
  if (element.type == kMatrix) {
    uint64_t padding = (8 - element.nbytes % 8) % 8;
    element.next += std::min(padding, file.size() - element.next);
  }
  return true;
}

bool isVariable(const FileHeader &header, uint64_t offset) {
  return header.subsystemOffset == 0 || offset != header.subsystemOffset;
}

bool readFileHeader(const FileBytes &file, FileHeader &header) {
  unsigned char bytes[kHeaderSize];
  if (!file.readAt(0, bytes, kHeaderSize)) return false;
  uint16_t endian, version;
  std::memcpy(&endian, bytes + kEndianAt, 2);
  std::memcpy(&version, bytes + kVersionAt, 2);
  if (endian != kEndianNative && endian != kEndianSwapped) return false;
  bool swap = endian == kEndianSwapped;
  if (swap) byte_order::swapEach(&version, 1, 2);
  if (version != kVersion5) return false;
  header = FileHeader();
  header.swapBytes = swap;
  header.subsystemOffset = readSubsystemOffset(bytes + kSubsystemAt, swap);
  header.firstElement = kHeaderSize;
  return true;
}

namespace {

// The elements one after another from the first, the subsystem data
// element passed over.
class Reader : public VariableReader {
 public:
  Reader(std::unique_ptr<FileBytes> file, const FileHeader &header)
      : file_(std::move(file)), header_(header), next_(header.firstElement) {}

  bool directory(std::vector<std::string> &names) override {
    for (uint64_t offset = header_.firstElement; offset < file_->size();) {
      TopElement element;
      if (!readTopElement(*file_, header_, offset, element)) return false;
      if (isVariable(header_, offset)) {
        ArrayPtr array = readTopVariable(*file_, header_, element, false, workspace_);
        if (!array) return false;
        names.push_back(array->name);
      }
      offset = element.next;
    }
    return true;
  }

  ArrayPtr nextHeader() override { return next(false); }
  ArrayPtr nextWhole() override { return next(true); }
  bool close() override { return file_->close(); }

 private:
  ArrayPtr next(bool whole) {
    while (next_ < file_->size()) {
      TopElement element;
      if (!readTopElement(*file_, header_, next_, element)) return nullptr;
      if (!isVariable(header_, next_)) {
        next_ = element.next;
        continue;
      }
      ArrayPtr array = readTopVariable(*file_, header_, element, whole, workspace_);
      if (array) next_ = element.next;
      return array;
    }
    return nullptr;
  }

  std::unique_ptr<FileBytes> file_;
  FileHeader header_;
  uint64_t next_;  // where the next element starts
  InflateWorkspace workspace_;  // for every compressed element in turn
};

bool recognizes(const FileBytes &file) {
  FileHeader header;
  return readFileHeader(file, header);
}

std::unique_ptr<VariableReader> open(const char *, std::unique_ptr<FileBytes> file) {
  FileHeader header;
  if (!readFileHeader(*file, header)) return nullptr;
  return std::unique_ptr<VariableReader>(new Reader(std::move(file), header));
}

}  // namespace

const VersionReader kVersionReader = {recognizes, open};

}  // namespace mat_v5
