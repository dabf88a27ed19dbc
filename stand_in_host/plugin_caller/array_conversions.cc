// Converting arrays between classes, between real and complex, and between
// full and sparse storage.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "array_builders.h"
#include "literal_error.h"

namespace builders {

namespace {

template <typename T>
long double readAs(const void *data, size_t index) {
  return static_cast<long double>(static_cast<const T *>(data)[index]);
}

// Rounds half away from zero and saturates to T's range; NaN gives 0.
template <typename T>
T toInteger(long double value) {
  if (std::isnan(value)) return 0;
  long double rounded = std::round(value);
  if (rounded <= static_cast<long double>(std::numeric_limits<T>::min())) {
    return std::numeric_limits<T>::min();
  }
  if (rounded >= static_cast<long double>(std::numeric_limits<T>::max())) {
    return std::numeric_limits<T>::max();
  }
  return static_cast<T>(rounded);
}

template <typename T>
void storeInteger(void *data, size_t index, long double value) {
  static_cast<T *>(data)[index] = toInteger<T>(value);
}

const char *conversionName(ArrayClass cls) { return className(cls); }

void checkConvertible(const mxArray &array, ArrayClass cls) {
  if (!isFullNumeric(array)) {
    throw LiteralError(std::string(conversionName(cls)) + ": cannot convert a " +
                       (array.isSparse ? "sparse" : className(array.cls)) + " array");
  }
  if (array.isComplex && (cls == ArrayClass::Logical || cls == ArrayClass::Char)) {
    throw LiteralError(std::string(conversionName(cls)) + ": complex values cannot be converted");
  }
}

}  // namespace

bool isFullNumeric(const mxArray &array) {
  return !array.isSparse && (isNumericClass(array.cls) || array.cls == ArrayClass::Char ||
                             array.cls == ArrayClass::Logical);
}

long double elementValue(const mxArray &array, size_t index, bool imaginary) {
  const void *data = imaginary ? array.imag : array.real;
  if (data == nullptr) return 0;
  switch (array.cls) {
    case ArrayClass::Double: return readAs<double>(data, index);
    case ArrayClass::Single: return readAs<float>(data, index);
    case ArrayClass::Int8: return readAs<int8_t>(data, index);
    case ArrayClass::Uint8: return readAs<uint8_t>(data, index);
    case ArrayClass::Int16: return readAs<int16_t>(data, index);
    case ArrayClass::Uint16: return readAs<uint16_t>(data, index);
    case ArrayClass::Int32: return readAs<int32_t>(data, index);
    case ArrayClass::Uint32: return readAs<uint32_t>(data, index);
    case ArrayClass::Int64: return readAs<int64_t>(data, index);
    case ArrayClass::Uint64: return readAs<uint64_t>(data, index);
    case ArrayClass::Char: return readAs<uint16_t>(data, index);
    case ArrayClass::Logical: return readAs<uint8_t>(data, index);
    default: return 0;
  }
}

void setElement(mxArray &array, size_t index, bool imaginary, long double value) {
  void *data = imaginary ? array.imag : array.real;
  switch (array.cls) {
    case ArrayClass::Double: static_cast<double *>(data)[index] = static_cast<double>(value); break;
    case ArrayClass::Single: static_cast<float *>(data)[index] = static_cast<float>(value); break;
    case ArrayClass::Int8: storeInteger<int8_t>(data, index, value); break;
    case ArrayClass::Uint8: storeInteger<uint8_t>(data, index, value); break;
    case ArrayClass::Int16: storeInteger<int16_t>(data, index, value); break;
    case ArrayClass::Uint16: storeInteger<uint16_t>(data, index, value); break;
    case ArrayClass::Int32: storeInteger<int32_t>(data, index, value); break;
    case ArrayClass::Uint32: storeInteger<uint32_t>(data, index, value); break;
    case ArrayClass::Int64: storeInteger<int64_t>(data, index, value); break;
    case ArrayClass::Uint64: storeInteger<uint64_t>(data, index, value); break;
    case ArrayClass::Char: storeInteger<uint16_t>(data, index, value); break;
    case ArrayClass::Logical: static_cast<uint8_t *>(data)[index] = value != 0; break;
    default: break;
  }
}

ArrayPtr convertClass(const mxArray &array, ArrayClass cls) {
  checkConvertible(array, cls);
  ArrayPtr result = makeFull(cls, array.dims, array.isComplex);
  size_t count = standin::numberOfElements(array);
  for (size_t i = 0; i < count; ++i) {
    long double real = elementValue(array, i, false);
    if (cls == ArrayClass::Logical && std::isnan(real)) {
      throw LiteralError("logical: NaN cannot be converted");
    }
    setElement(*result, i, false, real);
    if (array.isComplex) setElement(*result, i, true, elementValue(array, i, true));
  }
  return result;
}

ArrayPtr makeComplex(const mxArray &real, const mxArray &imaginary) {
  if (!isNumericClass(real.cls) || real.isSparse || real.isComplex || real.cls != imaginary.cls ||
      imaginary.isSparse || imaginary.isComplex) {
    throw LiteralError("complex: both parts must be real full arrays of one numeric class");
  }
  if (real.dims != imaginary.dims) throw LiteralError("complex: the parts differ in size");
  ArrayPtr result = makeFull(real.cls, real.dims, true);
  size_t bytes = standin::numberOfElements(real) * elementSize(real.cls);
  if (bytes != 0) {
    std::memcpy(result->real, real.real, bytes);
    std::memcpy(result->imag, imaginary.real, bytes);
  }
  return result;
}

ArrayPtr sparseFromFull(const mxArray &array) {
  if ((array.cls != ArrayClass::Double && array.cls != ArrayClass::Logical) || array.isSparse ||
      array.dims.size() != 2) {
    throw LiteralError("sparse: needs a full two-dimensional double or logical array");
  }
  size_t rows = array.dims[0], columns = array.dims[1];
  size_t count = rows * columns, nonZeros = 0;
  for (size_t i = 0; i < count; ++i) {
    nonZeros += elementValue(array, i, false) != 0 || elementValue(array, i, true) != 0;
  }
  ArrayPtr result(standin::createSparse(array.cls, rows, columns, nonZeros, array.isComplex));
  size_t next = 0;
  for (size_t column = 0; column < columns; ++column) {
    result->columnStart[column] = next;
    for (size_t row = 0; row < rows; ++row) {
      size_t i = column * rows + row;
      long double real = elementValue(array, i, false), imaginary = elementValue(array, i, true);
      if (real == 0 && imaginary == 0) continue;
      result->rowIndex[next] = row;
      setElement(*result, next, false, real);
      if (array.isComplex) setElement(*result, next, true, imaginary);
      ++next;
    }
  }
  result->columnStart[columns] = next;
  return result;
}

ArrayPtr fullFromSparse(const mxArray &array) {
  size_t rows = array.dims[0], columns = array.dims[1];
  ArrayPtr result = makeFull(array.cls, {rows, columns}, array.isComplex);
  for (size_t column = 0; column < columns; ++column) {
    size_t end = std::min(array.columnStart[column + 1], array.nzmax);
    for (size_t k = array.columnStart[column]; k < end; ++k) {
      if (array.rowIndex[k] >= rows) continue;
      size_t i = column * rows + array.rowIndex[k];
      setElement(*result, i, false, elementValue(array, k, false));
      if (array.isComplex) setElement(*result, i, true, elementValue(array, k, true));
    }
  }
  return result;
}

}  // namespace builders
