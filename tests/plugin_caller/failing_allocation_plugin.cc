// A test plug-in whose gateway ends with the standard allocation exception,
// as vandrel's does when its object cannot be allocated.
#include <new>

#include "mex.h"

extern "C" HOST_EXPORT void mexFunction(int, mxArray *[], int, const mxArray *[]) {
  mexPrintf("allocating\n");
  throw std::bad_alloc();
}
