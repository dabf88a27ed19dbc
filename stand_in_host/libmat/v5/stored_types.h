// The numeric types a version 5 data element stores its values as.
#ifndef STAND_IN_HOST_LIBMAT_V5_STORED_TYPES_H
#define STAND_IN_HOST_LIBMAT_V5_STORED_TYPES_H

#include <cstdint>

#include "mx_array.h"

namespace mat_v5 {

// The numeric class whose values a data element of `type` holds
// (int8 -> Int8, double -> Double, ...); false for other element types.
bool classOfStoredType(uint32_t type, ArrayClass &cls);

}  // namespace mat_v5

#endif
