// The host's array operations (libmx), on the stand-in's array model.
#include <cstdlib>
#include <limits>
#include <new>

#include "matrix.h"
#include "mx_array.h"

namespace {

// Counts handed out are clamped to what mwSize holds.
mwSize toCount(size_t value) {
  constexpr size_t kMax = static_cast<size_t>(std::numeric_limits<mwSize>::max());
  return static_cast<mwSize>(value > kMax ? kMax : value);
}

template <typename T>
double firstAsDouble(const void *data) {
  return static_cast<double>(*static_cast<const T *>(data));
}

double firstRealAsDouble(const mxArray &array) {
  if (array.real == nullptr) return 0.0;
  switch (array.cls) {
    case ArrayClass::Double: return firstAsDouble<double>(array.real);
    case ArrayClass::Single: return firstAsDouble<float>(array.real);
    case ArrayClass::Int8: return firstAsDouble<int8_t>(array.real);
    case ArrayClass::Uint8: return firstAsDouble<uint8_t>(array.real);
    case ArrayClass::Int16: return firstAsDouble<int16_t>(array.real);
    case ArrayClass::Uint16: return firstAsDouble<uint16_t>(array.real);
    case ArrayClass::Int32: return firstAsDouble<int32_t>(array.real);
    case ArrayClass::Uint32: return firstAsDouble<uint32_t>(array.real);
    case ArrayClass::Int64: return firstAsDouble<int64_t>(array.real);
    case ArrayClass::Uint64: return firstAsDouble<uint64_t>(array.real);
    case ArrayClass::Char: return firstAsDouble<uint16_t>(array.real);
    case ArrayClass::Logical: return firstAsDouble<uint8_t>(array.real);
    default: return 0.0;
  }
}

void destroyTree(mxArray *array) {
  if (array == nullptr) return;
  for (mxArray *child : array->children) destroyTree(child);
  standin::freeData(array->real);
  standin::freeData(array->imag);
  standin::freeData(array->rowIndex);
  standin::freeData(array->columnStart);
  delete array;
}

}  // namespace

extern "C" {

double *mxGetPr(const mxArray *array) { return static_cast<double *>(array->real); }

mwSize mxGetM(const mxArray *array) { return toCount(array->dims[0]); }

mwSize mxGetN(const mxArray *array) {
  size_t columns = 1;
  for (size_t i = 1; i < array->dims.size(); ++i) {
    if (__builtin_mul_overflow(columns, array->dims[i], &columns)) return toCount(SIZE_MAX);
  }
  return toCount(columns);
}

mwSize mxGetNumberOfElements(const mxArray *array) {
  return toCount(standin::numberOfElements(*array));
}

bool mxIsDouble(const mxArray *array) { return array->cls == ArrayClass::Double; }

bool mxIsComplex(const mxArray *array) { return array->isComplex; }

bool mxIsSparse(const mxArray *array) { return array->isSparse; }

double mxGetScalar(const mxArray *array) { return firstRealAsDouble(*array); }

// Zeroed doubles, as MATLAB documents and Octave does: a plug-in may read
// an element it has not written.
mxArray *mxCreateDoubleMatrix_700(mwSize rows, mwSize columns, int complexity) {
  size_t m = rows < 0 ? 0 : static_cast<size_t>(rows);
  size_t n = columns < 0 ? 0 : static_cast<size_t>(columns);
  return standin::createNumeric(ArrayClass::Double, {m, n}, complexity != 0);
}

mwSize mxGetNumberOfDimensions_700(const mxArray *array) { return toCount(array->dims.size()); }

bool mxIsFromGlobalWS(const mxArray *array) { return array->isGlobal; }

void mxDestroyArray(mxArray *array) { destroyTree(array); }

void mxFree(void *memory) { std::free(memory); }

}  // extern "C"
