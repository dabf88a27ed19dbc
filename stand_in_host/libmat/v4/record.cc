#include "v4/record.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/byte_order.h"
#include "common/checked_arithmetic.h"
#include "common/text_format.h"
#include "v4/values.h"

namespace mat_v4 {

size_t storedSize(StoredType type) {
  switch (type) {
    case StoredType::Double: return 8;
    case StoredType::Single: return 4;
    case StoredType::Int32: return 4;
    case StoredType::Int16: return 2;
    case StoredType::Uint16: return 2;
    case StoredType::Uint8: return 1;
  }
  return 0;
}

namespace {

struct RawHeader {
  uint32_t type, rows, columns, imagf, nameLength;
};

// Splits a type number into its digits; false unless it names a byte order
// this reader knows (0 little-endian, 1 big-endian), the digit O is 0, and the
// element type and matrix kind exist.
bool decodeType(uint32_t type, bool bigEndian, Record &record) {
  if (type >= 2000) return false;
  uint32_t machine = type / 1000, unused = type / 100 % 10, stored = type / 10 % 10, kind = type % 10;
  if (machine != (bigEndian ? 1u : 0u) || unused != 0 || stored > 5 || kind > 2) return false;
  record.bigEndian = bigEndian;
  record.storedType = static_cast<StoredType>(stored);
  record.kind = static_cast<MatrixKind>(kind);
  return true;
}

// The byte order is the one in which the type word reads as a valid type.
bool decodeHeader(const unsigned char (&bytes)[kHeaderBytes], Record &record, RawHeader &raw) {
  uint32_t words[5];
  std::memcpy(words, bytes, sizeof words);
  bool swap = false;
  if (decodeType(words[0], byte_order::hostIsBigEndian(), record)) {
    swap = false;
  } else if (decodeType(byte_order::swapped(words[0]), !byte_order::hostIsBigEndian(), record)) {
    swap = true;
  } else {
    return false;
  }
  if (swap) byte_order::swapEach(words, 5, 4);
  raw = RawHeader{words[0], words[1], words[2], words[3], words[4]};
  return true;
}

bool isSigned32(uint32_t value) { return value <= static_cast<uint32_t>(INT32_MAX); }

// Text has no imaginary part; a sparse matrix is one row per entry plus a
// row of dimensions, in three columns (real) or four (complex).
bool shapeFitsKind(const Record &record) {
  switch (record.kind) {
    case MatrixKind::Numeric: return true;
    case MatrixKind::Text: return !record.complex;
    case MatrixKind::Sparse:
      return !record.complex && record.rows >= 1 && (record.columns == 3 || record.columns == 4);
  }
  return false;
}

bool readName(const FileBytes &file, uint64_t offset, uint32_t length, std::string &name) {
  if (length == 0 || !isSigned32(length) || !file.holds(offset, length)) return false;
  name.resize(length);
  if (!file.readAt(offset, &name[0], length)) return false;
  if (name.find('\0') != length - 1) return false;
  name.pop_back();
  return true;
}

// Places the data after the name, checking that every part fits in the file
// before anything is computed from the element count.
bool placeData(const FileBytes &file, Record &record) {
  uint64_t available = file.size() - record.dataOffset;
  uint64_t parts = record.complex ? 2 : 1;
  uint64_t elementBytes = storedSize(record.storedType);
  uint64_t count = static_cast<uint64_t>(record.rows) * record.columns;  // both below 2^31
  if (count > available / elementBytes / parts) return false;
  record.partBytes = count * elementBytes;
  record.end = record.dataOffset + parts * record.partBytes;
  return true;
}


bool refuse(std::string *why, const char *format, ...) TEXT_FORMAT(2, 3);
bool refuse(std::string *why, const char *format, ...) {
  if (why == nullptr) return false;
  va_list arguments;
  va_start(arguments, format);
  *why = formatTextList(format, arguments);
  va_end(arguments);
  return false;
}

}  // namespace

uint64_t claimedDataBytes(const Record &record) {
  uint64_t bytes = 0;
  if (!checked::multiply(static_cast<uint64_t>(record.rows) * record.columns,  // both below 2^31
                         storedSize(record.storedType) * (record.complex ? 2 : 1), bytes)) {
    return UINT64_MAX;
  }
  return bytes;
}

bool readRecord(const FileBytes &file, uint64_t offset, Record &record, std::string *why) {
  unsigned char bytes[kHeaderBytes];
  if (!file.holds(offset, kHeaderBytes) || !file.readAt(offset, bytes, kHeaderBytes)) {
    return refuse(why, "%llu bytes left where a record header of 20 is due",
                  ull(file.size() - std::min(offset, file.size())));
  }
  RawHeader raw;
  if (!decodeHeader(bytes, record, raw)) {
    return refuse(why, "a type word that names no known byte order, element type and kind");
  }
  if (!isSigned32(raw.rows) || !isSigned32(raw.columns) || raw.imagf > 1) {
    return refuse(why, "%d rows, %d columns and an imaginary flag of %u",
                  static_cast<int32_t>(raw.rows), static_cast<int32_t>(raw.columns), raw.imagf);
  }
  record.rows = raw.rows;
  record.columns = raw.columns;
  record.complex = raw.imagf == 1;
  if (!shapeFitsKind(record)) {
    return refuse(why, record.kind == MatrixKind::Text
                           ? "text with an imaginary part"
                           : "a sparse record not of 3 or 4 columns and a row of sizes");
  }
  uint64_t nameOffset = offset + kHeaderBytes;
  if (!readName(file, nameOffset, raw.nameLength, record.name)) {
    return refuse(why, "a name of %u bytes that is not one NUL-terminated name in the file",
                  raw.nameLength);
  }
  record.dataOffset = nameOffset + raw.nameLength;
  if (!placeData(file, record)) {
    return refuse(why, "the data claims %llu bytes, and the file ends %llu bytes after the name",
                  ull(claimedDataBytes(record)), ull(file.size() - record.dataOffset));
  }
  return true;
}

}  // namespace mat_v4
