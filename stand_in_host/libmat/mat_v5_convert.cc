#include "mat_v5_convert.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "mat_v5_element.h"

namespace mat_v5 {

namespace {

template <typename To, typename From>
To convertFloatingToInteger(From value) {
  using Limits = std::numeric_limits<To>;
  if (std::isnan(value)) return 0;
  double rounded = std::round(static_cast<double>(value));
  if (rounded <= static_cast<double>(Limits::min())) return Limits::min();
  if (rounded >= static_cast<double>(Limits::max())) return Limits::max();
  return static_cast<To>(rounded);
}

template <typename To, typename From>
To convertIntegerToInteger(From value) {
  using Limits = std::numeric_limits<To>;
  if constexpr (std::is_signed_v<From>) {
    int64_t wide = value;
    if constexpr (std::is_signed_v<To>) {
      if (wide < int64_t(Limits::min())) return Limits::min();
      if (wide > int64_t(Limits::max())) return Limits::max();
      return static_cast<To>(wide);
    } else {
      if (wide < 0) return 0;
      uint64_t positive = static_cast<uint64_t>(wide);
      return positive > uint64_t(Limits::max()) ? Limits::max() : static_cast<To>(positive);
    }
  } else {
    uint64_t wide = value;
    return wide > uint64_t(Limits::max()) ? Limits::max() : static_cast<To>(wide);
  }
}

template <typename To, typename From>
To convertValue(From value) {
  if constexpr (std::is_same_v<To, float> && std::is_same_v<From, double>) {
    // Out of single's range gives infinity, as in IEEE arithmetic.
    if (std::fabs(value) > double(std::numeric_limits<float>::max()) && !std::isinf(value))
      return value > 0 ? std::numeric_limits<float>::infinity()
                       : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
  } else if constexpr (std::is_floating_point_v<To>) {
    return static_cast<To>(value);
  } else if constexpr (std::is_floating_point_v<From>) {
    return convertFloatingToInteger<To>(value);
  } else {
    return convertIntegerToInteger<To>(value);
  }
}

template <typename To, typename From>
void convertAll(const void *source, void *destination, size_t count) {
  const unsigned char *in = static_cast<const unsigned char *>(source);
  To *out = static_cast<To *>(destination);
  for (size_t i = 0; i < count; ++i) {
    From value;
    std::memcpy(&value, in + i * sizeof(From), sizeof(From));
    out[i] = convertValue<To>(value);
  }
}

template <typename From>
void convertFrom(const void *source, ArrayClass to, void *destination, size_t count) {
  switch (storageClass(to)) {
    case ArrayClass::Double: return convertAll<double, From>(source, destination, count);
    case ArrayClass::Single: return convertAll<float, From>(source, destination, count);
    case ArrayClass::Int8: return convertAll<int8_t, From>(source, destination, count);
    case ArrayClass::Uint8: return convertAll<uint8_t, From>(source, destination, count);
    case ArrayClass::Int16: return convertAll<int16_t, From>(source, destination, count);
    case ArrayClass::Uint16: return convertAll<uint16_t, From>(source, destination, count);
    case ArrayClass::Int32: return convertAll<int32_t, From>(source, destination, count);
    case ArrayClass::Uint32: return convertAll<uint32_t, From>(source, destination, count);
    case ArrayClass::Int64: return convertAll<int64_t, From>(source, destination, count);
    case ArrayClass::Uint64: return convertAll<uint64_t, From>(source, destination, count);
    default: return;
  }
}

template <typename Word, typename Swap>
void swapEach(void *data, size_t count, Swap swap) {
  unsigned char *bytes = static_cast<unsigned char *>(data);
  for (size_t i = 0; i < count; ++i, bytes += sizeof(Word)) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    word = swap(word);
    std::memcpy(bytes, &word, sizeof word);
  }
}

}  // namespace

bool classOfStoredType(uint32_t type, ArrayClass &cls) {
  switch (type) {
    case kInt8: cls = ArrayClass::Int8; return true;
    case kUint8: cls = ArrayClass::Uint8; return true;
    case kInt16: cls = ArrayClass::Int16; return true;
    case kUint16: cls = ArrayClass::Uint16; return true;
    case kInt32: cls = ArrayClass::Int32; return true;
    case kUint32: cls = ArrayClass::Uint32; return true;
    case kSingle: cls = ArrayClass::Single; return true;
    case kDouble: cls = ArrayClass::Double; return true;
    case kInt64: cls = ArrayClass::Int64; return true;
    case kUint64: cls = ArrayClass::Uint64; return true;
    default: return false;
  }
}

ArrayClass storageClass(ArrayClass cls) {
  if (cls == ArrayClass::Logical) return ArrayClass::Uint8;
  if (cls == ArrayClass::Char) return ArrayClass::Uint16;
  return cls;
}

void swapBytes(void *data, size_t count, size_t size) {
  switch (size) {
    case 2: return swapEach<uint16_t>(data, count, [](uint16_t v) { return __builtin_bswap16(v); });
    case 4: return swapEach<uint32_t>(data, count, [](uint32_t v) { return __builtin_bswap32(v); });
    case 8: return swapEach<uint64_t>(data, count, [](uint64_t v) { return __builtin_bswap64(v); });
    default: return;
  }
}

void convertValues(ArrayClass from, const void *source, ArrayClass to, void *destination,
                   size_t count) {
  switch (from) {
    case ArrayClass::Double: return convertFrom<double>(source, to, destination, count);
    case ArrayClass::Single: return convertFrom<float>(source, to, destination, count);
    case ArrayClass::Int8: return convertFrom<int8_t>(source, to, destination, count);
    case ArrayClass::Uint8: return convertFrom<uint8_t>(source, to, destination, count);
    case ArrayClass::Int16: return convertFrom<int16_t>(source, to, destination, count);
    case ArrayClass::Uint16: return convertFrom<uint16_t>(source, to, destination, count);
    case ArrayClass::Int32: return convertFrom<int32_t>(source, to, destination, count);
    case ArrayClass::Uint32: return convertFrom<uint32_t>(source, to, destination, count);
    case ArrayClass::Int64: return convertFrom<int64_t>(source, to, destination, count);
    case ArrayClass::Uint64: return convertFrom<uint64_t>(source, to, destination, count);
    default: return;
  }
}

}  // namespace mat_v5
