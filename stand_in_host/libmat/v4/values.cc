#include "v4/values.h"

#include "common/byte_order.h"

#include <cstring>
#include <vector>

#include "v4/record.h"

namespace mat_v4 {

namespace {

// Elements converted per step when the stored type differs from the target.
constexpr size_t kChunkElements = 4096;

uint16_t load16(const unsigned char *bytes, bool swap) {
  return byte_order::load<uint16_t>(bytes, swap);
}
uint32_t load32(const unsigned char *bytes, bool swap) {
  return byte_order::load<uint32_t>(bytes, swap);
}
uint64_t load64(const unsigned char *bytes, bool swap) {
  return byte_order::load<uint64_t>(bytes, swap);
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

bool needsSwap(const Record &record) { return record.bigEndian != byte_order::hostIsBigEndian(); }

// Reads elements stored as they are held in memory straight into `out`,
// then puts them in the host's byte order.
template <typename T>
bool readSameType(const FileBytes &file, const Record &record, uint64_t offset, size_t count,
                  T *out) {
  if (!file.readAt(offset, out, count * sizeof(T))) return false;
  if (needsSwap(record)) byte_order::swapEach(out, count, sizeof(T));
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
