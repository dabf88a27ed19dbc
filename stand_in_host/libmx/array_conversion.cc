// MATLAB's conversion of values from one class to another: integers
// saturate, floating-point values round half away from zero (NaN gives 0),
// doubles round to the nearest single (infinite beyond its range), and
// logical takes any non-zero value as true. Every conversion is exact where the target can
// hold the value: each pair of types converts directly, never through a
// wider floating-point type that a platform may not have.
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "mx_array.h"

namespace standin {

namespace {

// Logical values are held as bytes, characters as UTF-16 code units.
struct LogicalByte {
  uint8_t value;
};

template <typename To, typename From>
To floatingToInteger(From value) {
  using Limits = std::numeric_limits<To>;
  if (std::isnan(value)) return 0;
  // Every integer type's minimum is exact as a double; its maximum rounds up
  // to the next power of two, so >= catches every value beyond it.
  double rounded = std::round(static_cast<double>(value));
  if (rounded <= static_cast<double>(Limits::min())) return Limits::min();
  if (rounded >= static_cast<double>(Limits::max())) return Limits::max();
  return static_cast<To>(rounded);
}

template <typename To, typename From>
To integerToInteger(From value) {
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
  if constexpr (std::is_same_v<To, LogicalByte>) {
    return LogicalByte{static_cast<uint8_t>(value != 0)};
  } else if constexpr (std::is_same_v<To, float> && std::is_same_v<From, double>) {
    // Rounded to nearest, as IEEE arithmetic rounds: a double beyond
    // single's largest value rounds down to it up to half a unit beyond
    // (2^128 - 2^104 + 2^103, a tie that goes to the even infinity) and
    // becomes infinite from there on. The cast alone would leave the choice
    // between the largest value and infinity to the implementation.
    constexpr double kLargest = std::numeric_limits<float>::max();
    constexpr double kHalfUnitBeyond = kLargest + 0x1p103;
    if (std::fabs(value) >= kHalfUnitBeyond)
      return value > 0 ? std::numeric_limits<float>::infinity()
                       : -std::numeric_limits<float>::infinity();
    if (std::fabs(value) > kLargest) return static_cast<float>(value > 0 ? kLargest : -kLargest);
    return static_cast<float>(value);
  } else if constexpr (std::is_floating_point_v<To>) {
    return static_cast<To>(value);
  } else if constexpr (std::is_floating_point_v<From>) {
    return floatingToInteger<To>(value);
  } else {
    return integerToInteger<To>(value);
  }
}

template <typename To, typename From>
void convertAll(const void *source, void *destination, size_t count) {
  const unsigned char *in = static_cast<const unsigned char *>(source);
  unsigned char *out = static_cast<unsigned char *>(destination);
  for (size_t i = 0; i < count; ++i) {
    From value;
    std::memcpy(&value, in + i * sizeof(From), sizeof(From));
    To converted = convertValue<To>(value);
    std::memcpy(out + i * sizeof(To), &converted, sizeof(To));
  }
}

template <typename From>
void convertFrom(const void *source, ArrayClass to, void *destination, size_t count) {
  switch (to) {
    case ArrayClass::Double: return convertAll<double, From>(source, destination, count);
    case ArrayClass::Single: return convertAll<float, From>(source, destination, count);
    case ArrayClass::Int8: return convertAll<int8_t, From>(source, destination, count);
    case ArrayClass::Uint8: return convertAll<uint8_t, From>(source, destination, count);
    case ArrayClass::Int16: return convertAll<int16_t, From>(source, destination, count);
    case ArrayClass::Uint16:
    case ArrayClass::Char: return convertAll<uint16_t, From>(source, destination, count);
    case ArrayClass::Int32: return convertAll<int32_t, From>(source, destination, count);
    case ArrayClass::Uint32: return convertAll<uint32_t, From>(source, destination, count);
    case ArrayClass::Int64: return convertAll<int64_t, From>(source, destination, count);
    case ArrayClass::Uint64: return convertAll<uint64_t, From>(source, destination, count);
    case ArrayClass::Logical: return convertAll<LogicalByte, From>(source, destination, count);
    default: return;
  }
}

}  // namespace

ArrayClass storageClass(ArrayClass cls) {
  if (cls == ArrayClass::Logical) return ArrayClass::Uint8;
  if (cls == ArrayClass::Char) return ArrayClass::Uint16;
  return cls;
}

bool convertValues(ArrayClass from, const void *source, ArrayClass to, void *destination,
                   size_t count) {
  if (elementSize(from) == 0 || elementSize(to) == 0) return false;
  switch (from) {
    case ArrayClass::Double: convertFrom<double>(source, to, destination, count); break;
    case ArrayClass::Single: convertFrom<float>(source, to, destination, count); break;
    case ArrayClass::Int8: convertFrom<int8_t>(source, to, destination, count); break;
    case ArrayClass::Uint8:
    case ArrayClass::Logical: convertFrom<uint8_t>(source, to, destination, count); break;
    case ArrayClass::Int16: convertFrom<int16_t>(source, to, destination, count); break;
    case ArrayClass::Uint16:
    case ArrayClass::Char: convertFrom<uint16_t>(source, to, destination, count); break;
    case ArrayClass::Int32: convertFrom<int32_t>(source, to, destination, count); break;
    case ArrayClass::Uint32: convertFrom<uint32_t>(source, to, destination, count); break;
    case ArrayClass::Int64: convertFrom<int64_t>(source, to, destination, count); break;
    case ArrayClass::Uint64: convertFrom<uint64_t>(source, to, destination, count); break;
    default: return false;
  }
  return true;
}

}  // namespace standin
