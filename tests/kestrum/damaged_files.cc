#include "damaged_files.h"

#include <random>
#include <set>

#include "mat_layout.h"

namespace {

using v5fixture::kHeaderBytes;

const size_t smallFileBytes = 320;

// The 32-bit word at `offset` of a little-endian file.
uint32_t wordAt(const std::string &bytes, size_t offset) {
  return kLittleEndian.read<uint32_t>(bytes, offset);
}

DamagedFile withWord(const std::string &good, const std::string &what, size_t offset,
                     uint32_t value) {
  DamagedFile damaged{what + " = " + std::to_string(value), good};
  kLittleEndian.write<uint32_t>(damaged.bytes, offset, value);
  return damaged;
}

// Offsets just after each top-level element (version 5) or record (version 4).
std::set<size_t> variableEnds(const std::string &file, bool version4) {
  static const size_t v4ElementBytes[] = {8, 4, 4, 2, 2, 1};
  std::set<size_t> ends;
  size_t offset = version4 ? 0 : kHeaderBytes;
  ends.insert(offset);
  while (offset + 20 <= file.size()) {
    size_t next;
    if (version4) {
      uint32_t precision = wordAt(file, offset + V4Type) / 10 % 10;
      if (precision > 5) break;
      size_t values = size_t{wordAt(file, offset + V4Rows)} * wordAt(file, offset + V4Columns);
      size_t parts = wordAt(file, offset + V4Imaginary) != 0 ? 2 : 1;
      next = offset + 20 + wordAt(file, offset + V4NameLength) +
             values * parts * v4ElementBytes[precision];
    } else {
      next = offset + 8 + wordAt(file, offset + 4);
    }
    if (next <= offset || next > file.size()) break;
    ends.insert(next);
    offset = next;
  }
  return ends;
}

std::string randomBytes(std::mt19937 &generator, size_t count) {
  std::string bytes(count, '\0');
  for (char &byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

}  // namespace

std::vector<DamagedFile> cuts(const std::string &good, bool version4) {
  std::set<size_t> ends = variableEnds(good, version4);
  size_t step = good.size() <= smallFileBytes ? 1 : good.size() / 40;
  std::vector<DamagedFile> damaged;
  for (size_t length = 0; length < good.size(); length += step) {
    damaged.push_back({"cut to " + std::to_string(length) + " bytes", good.substr(0, length),
                       ends.count(length) != 0});
  }
  return damaged;
}

std::vector<DamagedFile> oversizedV5Fields(const std::string &good) {
  MatrixFields f;
  if (!locateMatrixFields(good, kHeaderBytes, f)) return {};
  uint32_t pastEnd = static_cast<uint32_t>(good.size());
  std::vector<DamagedFile> damaged;
  for (uint32_t huge : {0x7FFFFFF8u, 0xFFFFFFF8u}) {
    damaged.push_back(withWord(good, "element nbytes", f.tag + 4, huge));
    damaged.push_back(withWord(good, "dimensions nbytes", f.dimsTag + 4, huge));
    damaged.push_back(withWord(good, "first dimension", f.dimsTag + 8, huge));
    damaged.push_back(withWord(good, "data nbytes", f.dataTag + 4, huge));
  }
  damaged.push_back(withWord(good, "element nbytes", f.tag + 4, pastEnd));
  damaged.push_back(withWord(good, "dimensions nbytes", f.dimsTag + 4,
                             static_cast<uint32_t>(f.end - f.dimsTag)));
  damaged.push_back(withWord(good, "first dimension", f.dimsTag + 8, 0x10000));
  damaged.push_back(withWord(good, "data nbytes", f.dataTag + 4,
                             static_cast<uint32_t>(f.end - f.dataTag)));
  if (f.smallName) {
    uint32_t word = wordAt(good, f.nameTag) & 0xFFFFu;
    for (uint32_t length : {5u, 0xFFFFu}) {
      damaged.push_back(withWord(good, "small name length", f.nameTag, word | (length << 16)));
    }
  } else {
    damaged.push_back(withWord(good, "name nbytes", f.nameTag + 4, 0x7FFFFFFF));
    damaged.push_back(withWord(good, "name nbytes", f.nameTag + 4, pastEnd));
  }
  return damaged;
}

std::vector<DamagedFile> oversizedV4Fields(const std::string &good) {
  std::vector<DamagedFile> damaged;
  for (uint32_t huge : {0x10000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    damaged.push_back(withWord(good, "mrows", V4Rows, huge));
    damaged.push_back(withWord(good, "ncols", V4Columns, huge));
    damaged.push_back(withWord(good, "namlen", V4NameLength, huge));
  }
  damaged.push_back(withWord(good, "namlen", V4NameLength, static_cast<uint32_t>(good.size())));
  return damaged;
}

std::vector<DamagedFile> unknownV5Types(const std::string &good) {
  MatrixFields f;
  if (!locateMatrixFields(good, kHeaderBytes, f)) return {};
  std::vector<DamagedFile> damaged;
  uint32_t flags = wordAt(good, f.flags) & 0xFFFFFF00u;
  for (uint32_t cls : {0u, 19u, 99u, 255u}) {
    damaged.push_back(withWord(good, "class", f.flags, flags | cls));
  }
  for (uint32_t type : {0u, 8u, 11u, 99u}) {
    damaged.push_back(withWord(good, "dimensions type", f.dimsTag, type));
    damaged.push_back(withWord(good, "data type", f.dataTag, type));
  }
  uint32_t nameWord = wordAt(good, f.nameTag);
  damaged.push_back(withWord(good, "name type", f.nameTag,
                             f.smallName ? (nameWord & 0xFFFF0000u) | 99u : 99u));
  damaged.push_back(withWord(good, "flags type", f.flags - 8, 99));
  return damaged;
}

std::vector<DamagedFile> unknownV4Types(const std::string &good) {
  std::vector<DamagedFile> damaged;
  // Machine 5 (none), O not 0, precision 6 (none), type 3 (none).
  for (uint32_t type : {5000u, 100u, 60u, 3u, 0xFFFFFFFFu}) {
    damaged.push_back(withWord(good, "type", V4Type, type));
  }
  return damaged;
}

std::vector<DamagedFile> brokenCompression(const std::string &good) {
  const size_t tag = kHeaderBytes, stream = tag + 8;
  uint32_t length = wordAt(good, tag + 4);
  if (wordAt(good, tag) != v5fixture::kCompressed || length < 12 || stream + length > good.size()) return {};
  std::vector<DamagedFile> damaged;
  for (size_t at : {stream, stream + 2, stream + length / 2, stream + length - 6}) {
    DamagedFile flipped{"stream byte " + std::to_string(at - stream) + " flipped", good};
    flipped.bytes[at] = static_cast<char>(flipped.bytes[at] ^ 0x5A);
    damaged.push_back(flipped);
  }
  for (size_t i = 1; i <= 4; ++i) {
    DamagedFile wrong{"Adler-32 byte " + std::to_string(i) + " wrong", good};
    size_t at = stream + length - i;
    wrong.bytes[at] = static_cast<char>(wrong.bytes[at] ^ 0x01);
    damaged.push_back(wrong);
  }
  damaged.push_back(withWord(good, "compressed nbytes", tag + 4, length - 1));
  damaged.push_back(withWord(good, "compressed nbytes", tag + 4, 0x7FFFFFFF));
  damaged.push_back(withWord(good, "compressed nbytes", tag + 4,
                             static_cast<uint32_t>(good.size())));
  return damaged;
}

std::vector<DamagedFile> randomFiles(unsigned seed) {
  std::mt19937 generator(seed);
  std::string v5Header = kLittleEndian.header();
  // A 2x3 double matrix named "a".
  std::string v4Header = kLittleEndian.numbers<uint32_t>({0, 2, 3, 0, 2}) + std::string("a\0", 2);

  std::vector<DamagedFile> damaged;
  for (size_t size : {1, 3, 7, 20, 64, 127, 128, 300, 1024, 4096}) {
    std::string label = std::to_string(size) + " random bytes";
    damaged.push_back({label, randomBytes(generator, size)});
    damaged.push_back({"version 5 header and " + label, v5Header + randomBytes(generator, size)});
    damaged.push_back({"version 4 record header and " + label,
                       v4Header + randomBytes(generator, size)});
  }
  return damaged;
}
