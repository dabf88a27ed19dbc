// Building arrays: the stand-in's own constructors, used by its MAT-file
// reader and its command-line host.
#include <cstring>
#include <memory>
#include <new>

#include "mx_array.h"

namespace standin {

bool countElements(const std::vector<size_t> &dims, size_t &count) {
  size_t total = 1;
  for (size_t d : dims) {
    if (__builtin_mul_overflow(total, d, &total)) return false;
  }
  count = total;
  return true;
}

bool elementCountFits64(const std::vector<size_t> &dims) {
  uint64_t total = 1;
  for (size_t d : dims) {
    if (__builtin_mul_overflow(total, static_cast<uint64_t>(d), &total)) return false;
  }
  return true;
}

void normalizeDims(std::vector<size_t> &dims) {
  while (dims.size() > 2 && dims.back() == 1) dims.pop_back();
  while (dims.size() < 2) dims.push_back(dims.empty() ? 0 : 1);
}

size_t numberOfElements(const mxArray &array) {
  size_t count = 0;
  return countElements(array.dims, count) ? count : SIZE_MAX;
}

namespace {

// The bytes of `count` elements of `size` bytes; throws if they do not fit.
size_t bytesFor(size_t count, size_t size) {
  size_t bytes = 0;
  if (__builtin_mul_overflow(count, size, &bytes)) throw std::bad_alloc();
  return bytes;
}

void *allocateZeroed(size_t count, size_t size) { return allocateZeroedData(bytesFor(count, size)); }

std::unique_ptr<mxArray> newArray(ArrayClass cls, std::vector<size_t> dims) {
  auto array = std::make_unique<mxArray>();
  normalizeDims(dims);
  if (!elementCountFits64(dims)) throw std::bad_alloc();
  array->cls = cls;
  array->dims = std::move(dims);
  return array;
}

}  // namespace

mxArray *createNumeric(ArrayClass cls, std::vector<size_t> dims, bool complex) {
  ArrayPtr array(newArray(cls, std::move(dims)).release());  // frees the real part if the imaginary fails
  size_t count = numberOfElements(*array);
  array->isComplex = complex;
  array->hasData = true;
  array->real = allocateZeroed(count, elementSize(cls));
  if (complex) array->imag = allocateZeroed(count, elementSize(cls));
  return array.release();
}

mxArray *createSparse(ArrayClass cls, size_t rows, size_t columns, size_t nzmax, bool complex) {
  ArrayPtr array(newArray(cls, {rows, columns}).release());  // frees what was had if a part fails
  if (nzmax == 0) nzmax = 1;
  array->isSparse = true;
  array->isComplex = complex;
  array->hasData = true;
  array->nzmax = nzmax;
  array->real = allocateZeroed(nzmax, elementSize(cls));
  if (complex) array->imag = allocateZeroed(nzmax, elementSize(cls));
  array->rowIndex = static_cast<size_t *>(allocateZeroed(nzmax, sizeof(size_t)));
  array->columnStart = static_cast<size_t *>(allocateZeroed(columns + 1, sizeof(size_t)));
  return array.release();
}

mxArray *createCell(std::vector<size_t> dims) {
  auto array = newArray(ArrayClass::Cell, std::move(dims));
  array->hasData = true;
  array->children.reserve(numberOfElements(*array));
  return array.release();
}

mxArray *createStruct(std::vector<size_t> dims, std::vector<std::string> fieldNames) {
  auto array = newArray(ArrayClass::Struct, std::move(dims));
  array->hasData = true;
  array->fieldNames = std::move(fieldNames);
  return array.release();
}

mxArray *createHeader(ArrayClass cls, std::vector<size_t> dims, bool complex, bool sparse) {
  auto array = newArray(cls, std::move(dims));
  array->isComplex = complex;
  array->isSparse = sparse;
  return array.release();
}

}  // namespace standin
