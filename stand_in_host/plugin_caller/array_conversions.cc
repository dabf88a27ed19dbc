// Converting arrays between classes, between real and complex, and between
// full and sparse storage. Values change class only through libmx's
// conversion.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "array_builders.h"
#include "literal_error.h"

namespace builders {

namespace {

void checkConvertible(const mxArray &array, ArrayClass cls) {
  if (!isFullNumeric(array)) {
    throw LiteralError(std::string(className(cls)) + ": cannot convert a " +
                       (array.isSparse ? "sparse" : className(array.cls)) + " array");
  }
  if (array.isComplex && (cls == ArrayClass::Logical || cls == ArrayClass::Char)) {
    throw LiteralError(std::string(className(cls)) + ": complex values cannot be converted");
  }
}

template <typename T>
bool anyNaN(const void *data, size_t count) {
  const T *values = static_cast<const T *>(data);
  return std::any_of(values, values + count, [](T value) { return std::isnan(value); });
}

bool holdsNaN(const mxArray &array) {
  size_t count = standin::numberOfElements(array);
  if (array.cls == ArrayClass::Double) return anyNaN<double>(array.real, count);
  if (array.cls == ArrayClass::Single) return anyNaN<float>(array.real, count);
  return false;
}

// Copies element `from` of each part of `source` to element `to` of `target`
// (of the same class).
void copyElement(const mxArray &source, size_t from, mxArray &target, size_t to) {
  size_t size = elementSize(source.cls);
  std::memcpy(static_cast<unsigned char *>(target.real) + to * size,
              static_cast<const unsigned char *>(source.real) + from * size, size);
  if (source.isComplex) {
    std::memcpy(static_cast<unsigned char *>(target.imag) + to * size,
                static_cast<const unsigned char *>(source.imag) + from * size, size);
  }
}

}  // namespace

bool isFullNumeric(const mxArray &array) {
  return !array.isSparse && (isNumericClass(array.cls) || array.cls == ArrayClass::Char ||
                             array.cls == ArrayClass::Logical);
}

void fill(mxArray &array, double value) {
  size_t size = elementSize(array.cls), count = standin::numberOfElements(array);
  unsigned char converted[8];
  standin::convertValues(ArrayClass::Double, &value, array.cls, converted, 1);
  auto *data = static_cast<unsigned char *>(array.real);
  if (count == 0) return;
  // One element, then copies of what is already filled, doubling each time: a few large copies
  // instead of one small copy per element, for arrays of up to the literal size cap.
  size_t total = count * size, done = size;
  std::memcpy(data, converted, size);
  while (done < total) {
    size_t step = std::min(done, total - done);
    std::memcpy(data + done, data, step);
    done += step;
  }
}

double realAsDouble(const mxArray &array, size_t index) {
  double value = 0;
  size_t size = elementSize(array.cls);
  standin::convertValues(array.cls, static_cast<const unsigned char *>(array.real) + index * size,
                         ArrayClass::Double, &value, 1);
  return value;
}

ArrayPtr convertClass(const mxArray &array, ArrayClass cls) {
  checkConvertible(array, cls);
  if (cls == ArrayClass::Logical && holdsNaN(array)) throw LiteralError("logical: NaN cannot be converted");
  ArrayPtr result = makeFull(cls, array.dims, array.isComplex);
  size_t count = standin::numberOfElements(array);
  standin::convertValues(array.cls, array.real, cls, result->real, count);
  if (array.isComplex) standin::convertValues(array.cls, array.imag, cls, result->imag, count);
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
  ArrayPtr result(standin::sparseFromFull(array));
  if (!result) throw LiteralError("sparse: needs a full two-dimensional double or logical array");
  return result;
}

ArrayPtr fullFromSparse(const mxArray &array) {
  size_t rows = array.dims[0], columns = array.dims[1];
  ArrayPtr result = makeFull(array.cls, {rows, columns}, array.isComplex);
  for (size_t column = 0; column < columns; ++column) {
    size_t end = std::min(array.columnStart[column + 1], array.nzmax);
    for (size_t k = array.columnStart[column]; k < end; ++k) {
      if (array.rowIndex[k] >= rows) continue;
      copyElement(array, k, *result, column * rows + array.rowIndex[k]);
    }
  }
  return result;
}

}  // namespace builders
