// Ownership of an array under construction: destroyed unless released.
#ifndef STAND_IN_HOST_LIBMAT_MAT_V4_ARRAY_PTR_H
#define STAND_IN_HOST_LIBMAT_MAT_V4_ARRAY_PTR_H

#include <memory>

#include "matrix.h"

namespace mat_v4 {

struct ArrayDeleter {
  void operator()(mxArray *array) const { mxDestroyArray(array); }
};
using ArrayPtr = std::unique_ptr<mxArray, ArrayDeleter>;

}  // namespace mat_v4

#endif
