// Numbers as stored in a MAT-file and as held by an array: byte order and
// conversion between the numeric types.
#ifndef STAND_IN_HOST_LIBMAT_MAT_V5_CONVERT_H
#define STAND_IN_HOST_LIBMAT_MAT_V5_CONVERT_H

#include <cstddef>
#include <cstdint>

#include "mx_array.h"

namespace mat_v5 {

// The numeric class whose values a data element of `type` holds
// (int8 -> Int8, double -> Double, ...); false for other element types.
bool classOfStoredType(uint32_t type, ArrayClass &cls);

// Reverses the bytes of each of `count` values of `size` bytes (1, 2, 4
// or 8).
void swapBytes(void *data, size_t count, size_t size);

// Converts `count` values of numeric class `from` into class `to`
// (numeric, Logical as uint8 or Char as uint16). Integers saturate;
// floating-point values are rounded to the nearest integer, NaN gives 0.
void convertValues(ArrayClass from, const void *source, ArrayClass to, void *destination,
                   size_t count);

// The numeric class in which values of `cls` are held: Logical -> Uint8,
// Char -> Uint16, numeric classes themselves.
ArrayClass storageClass(ArrayClass cls);

}  // namespace mat_v5

#endif
