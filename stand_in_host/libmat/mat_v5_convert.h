// Numbers as stored in a MAT-file: their types and byte order.
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

}  // namespace mat_v5

#endif
