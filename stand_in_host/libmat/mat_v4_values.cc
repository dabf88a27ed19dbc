#include "mat_v4_values.h"

#include <cstring>
#include <vector>

#include "mat_v4_record.h"

namespace mat_v4 {

namespace {

// Elements converted per step when the stored type differs from the target.
constexpr size_t kChunkElements = 4096;

uint16_t swap16(uint16_t value) { return static_cast<uint16_t>((value >> 8) | (value << 8)); }

uint64_t swap64(uint64_t value) {
  return (static_cast<uint64_t>(swapBytes(static_cast<uint32_t>(value))) << 32) |
         swapBytes(static_cast<uint32_t>(value >> 32));
}

uint16_t load16(const unsigned char *bytes, bool swap) {
  uint16_t value;
  std::memcpy(&value, bytes, sizeof value);
  return swap ? swap16(value) : value;
}

uint32_t load32(const unsigned char *bytes, bool swap) {
  uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return swap ? swapBytes(value) : value;
}

uint64_t load64(const unsigned char *bytes, bool swap) {
  uint64_t value;
  std::memcpy(&value, bytes, sizeof value);
  return swap ? swap64(value) : value;
}

template <typename T, typename Bits>
T asType(Bits bits) {
  T value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double decodeElement(const unsigned char *bytes, StoredType type, bool swap) {
  switch (type) {
    case StoredType::Double: return asType<double>(load64(bytes, swap));
    case StoredType::Single: return asType<float>(load32(bytes, swap));
    case StoredType::Int32: return asType<int32_t>(load32(bytes, swap));
    case StoredType::Int16: return asType<int16_t>(load16(bytes, swap));
    case StoredType::Uint16: return load16(bytes, swap);
    case StoredType::Uint8: return bytes[0];
  }
  return 0.0;
}

bool needsSwap(const Record &record) { return record.bigEndian != hostIsBigEndian(); }

// Reads elements stored as they are held in memory straight into `out`,
// then puts them in the host's byte order.
template <typename T>
bool readSameType(const FileBytes &file, const Record &record, uint64_t offset, size_t count,
                  T *out) {
  if (!file.readAt(offset, out, count * sizeof(T))) return false;
  if (!needsSwap(record)) return true;
  unsigned char *bytes = reinterpret_cast<unsigned char *>(out);
  for (size_t i = 0; i < count; ++i, bytes += sizeof(T)) {
    if (sizeof(T) == 8) {
      uint64_t value = load64(bytes, true);
      std::memcpy(bytes, &value, sizeof value);
    } else {
      uint16_t value = load16(bytes, true);
      std::memcpy(bytes, &value, sizeof value);
    }
  }
  return true;
}

// Reads the elements a chunk at a time and hands each chunk, as doubles, to
// `store(first, values, n)`; stops with false if `store` refuses one.
template <typename Store>
bool readConverted(const FileBytes &file, const Record &record, uint64_t offset, size_t count,
                   Store store) {
  size_t elementBytes = storedSize(record.storedType);
  size_t chunk = count < kChunkElements ? count : kChunkElements;
  std::vector<unsigned char> raw(chunk * elementBytes);
  std::vector<double> values(chunk);
  bool swap = needsSwap(record);
  for (size_t done = 0; done < count; done += chunk) {
    size_t n = count - done < chunk ? count - done : chunk;
    if (!file.readAt(offset + done * elementBytes, raw.data(), n * elementBytes)) return false;
    for (size_t i = 0; i < n; ++i) {
      values[i] = decodeElement(&raw[i * elementBytes], record.storedType, swap);
    }
    if (!store(done, values.data(), n)) return false;
  }
  return true;
}

}  // namespace

bool hostIsBigEndian() {
  const uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 0;
}

uint32_t swapBytes(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xff00u) | ((value << 8) & 0xff0000u) | (value << 24);
}

bool readDoubles(const FileBytes &file, const Record &record, uint64_t offset, size_t count,
                 double *out) {
  if (record.storedType == StoredType::Double) return readSameType(file, record, offset, count, out);
  return readConverted(file, record, offset, count,
                       [out](size_t first, const double *values, size_t n) {
                         std::memcpy(out + first, values, n * sizeof(double));
                         return true;
                       });
}

bool readCodeUnits(const FileBytes &file, const Record &record, uint64_t offset, size_t count,
                   uint16_t *out) {
  if (record.storedType == StoredType::Uint16) return readSameType(file, record, offset, count, out);
  return readConverted(file, record, offset, count,
                       [out](size_t first, const double *values, size_t n) {
                         for (size_t i = 0; i < n; ++i) {
                           double value = values[i];
                           if (!(value >= 0 && value <= 65535) || value != static_cast<uint16_t>(value)) {
                             return false;
                           }
                           out[first + i] = static_cast<uint16_t>(value);
                         }
                         return true;
                       });
}

}  // namespace mat_v4
