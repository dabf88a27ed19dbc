// Copies of arrays: a deep copy of any array, and the sparse form of a full
// array.
#include <cstring>

#include "mx_array.h"

namespace standin {

namespace {

// A copy of `bytes` bytes at `from`; null when there is nothing to copy.
void *copyOf(const void *from, size_t bytes) {
  if (from == nullptr || bytes == 0) return nullptr;
  void *to = allocateData(bytes);
  std::memcpy(to, from, bytes);
  return to;
}

// True if element `index` of a double or logical part is not zero.
bool isNonZero(const mxArray &array, const void *part, size_t index) {
  if (part == nullptr) return false;
  if (array.cls == ArrayClass::Logical) return static_cast<const uint8_t *>(part)[index] != 0;
  return static_cast<const double *>(part)[index] != 0;  // NaN too
}

}  // namespace

mxArray *duplicateArray(const mxArray &array) {
  ArrayPtr copy(createHeader(array.cls, array.dims, array.isComplex, array.isSparse));
  copy->isGlobal = array.isGlobal;
  copy->hasData = array.hasData;
  copy->fieldNames = array.fieldNames;
  copy->objectClassName = array.objectClassName;
  copy->name = array.name;
  // A header's element count may not fit memory; only data that is there is copied.
  size_t values = array.isSparse ? array.nzmax : (array.real != nullptr ? numberOfElements(array) : 0);
  copy->real = copyOf(array.real, values * elementSize(array.cls));
  copy->imag = copyOf(array.imag, values * elementSize(array.cls));
  if (array.isSparse) {
    copy->nzmax = array.nzmax;
    copy->rowIndex = static_cast<size_t *>(copyOf(array.rowIndex, array.nzmax * sizeof(size_t)));
    size_t starts = array.columnStart != nullptr ? array.dims[1] + 1 : 0;
    copy->columnStart = static_cast<size_t *>(copyOf(array.columnStart, starts * sizeof(size_t)));
  }
  copy->children.reserve(array.children.size());  // push_back below cannot throw
  for (const mxArray *child : array.children) copy->children.push_back(duplicateArray(*child));
  return copy.release();
}

mxArray *sparseFromFull(const mxArray &array) {
  bool fits = (array.cls == ArrayClass::Double || array.cls == ArrayClass::Logical) &&
              !array.isSparse && array.hasData && array.dims.size() == 2;
  if (!fits) return nullptr;
  size_t rows = array.dims[0], columns = array.dims[1];
  size_t count = numberOfElements(array), nonZeros = 0;
  for (size_t i = 0; i < count; ++i) {
    nonZeros += isNonZero(array, array.real, i) || isNonZero(array, array.imag, i);
  }
  ArrayPtr result(createSparse(array.cls, rows, columns, nonZeros, array.isComplex));
  size_t size = elementSize(array.cls);
  auto *real = static_cast<unsigned char *>(result->real);
  auto *imag = static_cast<unsigned char *>(result->imag);
  size_t next = 0;
  for (size_t column = 0; column < columns; ++column) {
    result->columnStart[column] = next;
    for (size_t row = 0; row < rows; ++row) {
      size_t i = column * rows + row;
      if (!isNonZero(array, array.real, i) && !isNonZero(array, array.imag, i)) continue;
      result->rowIndex[next] = row;
      if (array.cls == ArrayClass::Logical) {
        real[next] = 1;  // a logical stored as another non-zero byte is true
      } else {
        std::memcpy(real + next * size, static_cast<const unsigned char *>(array.real) + i * size, size);
        if (imag != nullptr) {
          std::memcpy(imag + next * size, static_cast<const unsigned char *>(array.imag) + i * size, size);
        }
      }
      ++next;
    }
  }
  result->columnStart[columns] = next;
  return result.release();
}

}  // namespace standin
