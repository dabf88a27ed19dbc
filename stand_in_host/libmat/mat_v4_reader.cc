// Version 4 MAT-files: records one after another from the first byte, each
// a 2-D double matrix, text matrix or sparse matrix, none of them global.
#include "mat_v4_reader.h"

#include <new>
#include <utility>

#include "mx_array.h"
#include "mat_v4_record.h"
#include "mat_v4_sparse.h"
#include "mat_v4_values.h"

namespace mat_v4 {

namespace {

ArrayClass arrayClassOf(const Record &record) {
  return record.kind == MatrixKind::Text ? ArrayClass::Char : ArrayClass::Double;
}

// Numeric and text records become arrays of the same shape, read straight
// into buffers of their exact size (which a 32-bit host may not have room
// to address even when the file holds the data).
mxArray *readDense(const FileBytes &file, const Record &record) {
  uint64_t elements = static_cast<uint64_t>(record.rows) * record.columns;
  size_t targetBytes = elementSize(arrayClassOf(record));
  if (elements > SIZE_MAX / targetBytes) return nullptr;
  size_t count = static_cast<size_t>(elements);
  standin::ArrayPtr array(standin::createHeader(arrayClassOf(record), {record.rows, record.columns},
                                       record.complex, false));
  array->hasData = true;
  array->real = standin::allocateData(count * targetBytes);
  if (record.kind == MatrixKind::Text) {
    bool read = readCodeUnits(file, record, record.dataOffset, count,
                              static_cast<uint16_t *>(array->real));
    return read ? array.release() : nullptr;
  }
  if (!readDoubles(file, record, record.dataOffset, count, static_cast<double *>(array->real))) {
    return nullptr;
  }
  if (record.complex) {
    array->imag = standin::allocateData(count * targetBytes);
    uint64_t imagOffset = record.dataOffset + record.partBytes;
    if (!readDoubles(file, record, imagOffset, count, static_cast<double *>(array->imag))) {
      return nullptr;
    }
  }
  return array.release();
}

// Class, dimensions and complexity without the data. A sparse record keeps
// its dimensions in its last row, so those two values are read.
mxArray *readHeaderOnly(const FileBytes &file, const Record &record) {
  if (record.kind != MatrixKind::Sparse) {
    return standin::createHeader(arrayClassOf(record), {record.rows, record.columns},
                                 record.complex, false);
  }
  size_t rows = 0, columns = 0;
  if (!readSparseDimensions(file, record, rows, columns)) return nullptr;
  return standin::createHeader(ArrayClass::Double, {rows, columns}, record.columns == 4, true);
}

mxArray *readArray(const FileBytes &file, const Record &record, bool whole) {
  if (!whole) return readHeaderOnly(file, record);
  if (record.kind == MatrixKind::Sparse) return readSparse(file, record);
  return readDense(file, record);
}

}  // namespace

bool looksLikeVersion4(const FileBytes &file) {
  try {
    Record record;
    return readRecord(file, 0, record);
  } catch (const std::bad_alloc &) {
    return false;
  }
}

bool listVariableNames(const FileBytes &file, std::vector<std::string> &names) {
  try {
    Record record;
    for (uint64_t offset = 0; offset < file.size(); offset = record.end) {
      if (!readRecord(file, offset, record)) return false;
      names.push_back(record.name);
    }
    return true;
  } catch (const std::bad_alloc &) {
    return false;
  }
}

mxArray *readVariable(const FileBytes &file, uint64_t &offset, bool whole) {
  try {
    Record record;
    if (offset >= file.size() || !readRecord(file, offset, record)) return nullptr;
    mxArray *array = readArray(file, record, whole);
    if (array == nullptr) return nullptr;
    array->name = std::move(record.name);
    offset = record.end;
    return array;
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

}  // namespace mat_v4
