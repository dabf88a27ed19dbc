// Version 4 MAT-files: records one after another from the first byte, each
// a 2-D double matrix, text matrix or sparse matrix, none of them global.
#include "v4/reader.h"

#include <memory>
#include <utility>

#include "common/checked_arithmetic.h"
#include "mx_array.h"
#include "v4/record.h"
#include "v4/sparse.h"
#include "v4/values.h"

namespace mat_v4 {

namespace {

ArrayClass arrayClassOf(const Record &record) {
  return record.kind == MatrixKind::Text ? ArrayClass::Char : ArrayClass::Double;
}

// Numeric and text records become arrays of the same shape, read straight
// into buffers of their exact size (which a 32-bit host may not have room
// to address even when the file holds the data).
mxArray *readDense(const FileBytes &file, const Record &record) {
  size_t targetBytes = elementSize(arrayClassOf(record));
  size_t count = 0, bytes = 0;
  if (!checked::multiply(record.rows, record.columns, count) ||
      !checked::multiply(count, targetBytes, bytes)) {
    return nullptr;
  }
  standin::ArrayPtr array(standin::createHeader(arrayClassOf(record), {record.rows, record.columns},
                                       record.complex, false));
  array->hasData = true;
  array->real = standin::allocateData(bytes);
  if (record.kind == MatrixKind::Text) {
    bool read = readCodeUnits(file, record, record.dataOffset, count,
                              static_cast<uint16_t *>(array->real));
    return read ? array.release() : nullptr;
  }
  if (!readDoubles(file, record, record.dataOffset, count, static_cast<double *>(array->real))) {
    return nullptr;
  }
  if (record.complex) {
    array->imag = standin::allocateData(bytes);
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

// The records one after another from the first byte.
class Reader : public VariableReader {
 public:
  explicit Reader(std::unique_ptr<FileBytes> file) : file_(std::move(file)) {}

  bool directory(std::vector<std::string> &names) override {
    Record record;
    for (uint64_t offset = 0; offset < file_->size(); offset = record.end) {
      if (!readRecord(*file_, offset, record)) return false;
      names.push_back(record.name);
    }
    return true;
  }

  standin::ArrayPtr nextHeader() override { return next(false); }
  standin::ArrayPtr nextWhole() override { return next(true); }
  bool close() override { return file_->close(); }

 private:
  standin::ArrayPtr next(bool whole) {
    Record record;
    if (next_ >= file_->size() || !readRecord(*file_, next_, record)) return nullptr;
    standin::ArrayPtr array(readArray(*file_, record, whole));
    if (!array) return nullptr;
    array->name = std::move(record.name);
    next_ = record.end;
    return array;
  }

  std::unique_ptr<FileBytes> file_;
  uint64_t next_ = 0;  // where the next record starts
};

bool recognizes(const FileBytes &file) {
  Record record;
  return readRecord(file, 0, record);
}

std::unique_ptr<VariableReader> open(const char *, std::unique_ptr<FileBytes> file) {
  return std::unique_ptr<VariableReader>(new Reader(std::move(file)));
}

}  // namespace

const VersionReader kVersionReader = {recognizes, open};

}  // namespace mat_v4
