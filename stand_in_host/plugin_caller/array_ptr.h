// An owned host array, destroyed with mxDestroyArray.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_ARRAY_PTR_H
#define STAND_IN_HOST_PLUGIN_CALLER_ARRAY_PTR_H

#include <memory>

#include "matrix.h"

struct ArrayDestroyer {
  void operator()(mxArray *array) const { mxDestroyArray(array); }
};
using ArrayPtr = std::unique_ptr<mxArray, ArrayDestroyer>;

#endif
