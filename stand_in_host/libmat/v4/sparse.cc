#include "v4/sparse.h"

#include <algorithm>
#include <cstdio>

#include "mx_array.h"
#include "v4/values.h"

namespace mat_v4 {

namespace {

constexpr double kMaxDimension = 2147483647.0;

// A version 4 file stores no column starts: the reader makes columns + 1 of
// them, so a record of a few bytes could claim 2^31 - 1 columns and have the
// reader allocate and fill 16 GiB. Column starts may take 16 MiB, plus
// 1 KiB for each byte of the file.
constexpr uint64_t kColumnStartBytesBase = uint64_t(16) << 20;
constexpr uint64_t kColumnStartBytesPerFileByte = 1024;

bool columnStartsFit(size_t columns, uint64_t fileSize) {
  uint64_t allowed = kColumnStartBytesBase + kColumnStartBytesPerFileByte * fileSize;
  return (static_cast<uint64_t>(columns) + 1) * sizeof(size_t) <= allowed;
}

// Where element `row` of column `column` of the stored matrix lies.
uint64_t elementOffset(const Record &record, size_t column, size_t row) {
  return record.dataOffset +
         (static_cast<uint64_t>(column) * record.rows + row) * storedSize(record.storedType);
}

size_t entryCount(const Record &record) { return record.rows - 1; }

bool isWholeInRange(double value, double low, double high) {
  return value >= low && value <= high && value == static_cast<double>(static_cast<int64_t>(value));
}

bool readStoredColumn(const FileBytes &file, const Record &record, size_t column, double *out) {
  return readDoubles(file, record, elementOffset(record, column, 0), entryCount(record), out);
}

// Row indices, 1-based in the file, 0-based in the array. `scratch` holds
// the stored column while it is checked.
bool fillRowIndices(const FileBytes &file, const Record &record, mxArray &array, double *scratch) {
  if (!readStoredColumn(file, record, 0, scratch)) return false;
  double rows = static_cast<double>(array.dims[0]);
  for (size_t k = 0; k < entryCount(record); ++k) {
    if (!isWholeInRange(scratch[k], 1, rows)) return false;
    array.rowIndex[k] = static_cast<size_t>(scratch[k]) - 1;
  }
  return true;
}

// Column starts from the entries' column numbers, which must not decrease,
// with rows rising strictly within a column.
bool fillColumnStarts(const FileBytes &file, const Record &record, mxArray &array,
                      double *scratch) {
  if (!readStoredColumn(file, record, 1, scratch)) return false;
  size_t columns = array.dims[1];
  size_t previous = 0;
  for (size_t k = 0; k < entryCount(record); ++k) {
    if (!isWholeInRange(scratch[k], 1, static_cast<double>(columns))) return false;
    size_t column = static_cast<size_t>(scratch[k]);
    bool sameColumn = k > 0 && column == previous;
    if (column < previous || (sameColumn && array.rowIndex[k] <= array.rowIndex[k - 1])) {
      return false;
    }
    ++array.columnStart[column];
    previous = column;
  }
  for (size_t j = 1; j <= columns; ++j) array.columnStart[j] += array.columnStart[j - 1];
  return true;
}

}  // namespace

bool examineSparse(const FileBytes &file, const Record &record, uint64_t &entries,
                   std::string &why, uint64_t &faultAt) {
  char text[200];
  size_t rows = 0, columns = 0;
  entries = entryCount(record);
  faultAt = elementOffset(record, 0, entryCount(record));
  if (!readSparseDimensions(file, record, rows, columns)) {
    why = "the last row's sizes are not whole numbers from 0 to 2^31 - 1";
    return false;
  }
  if (!columnStartsFit(columns, file.size())) {
    std::snprintf(text, sizeof text, "%zu columns: more column starts than the file can stand for",
                  columns);
    why = text;
    return false;
  }
  // The row and column numbers of the entries, a piece at a time of each.
  constexpr size_t kPiece = 4096;
  double rowNumbers[kPiece], columnNumbers[kPiece];
  size_t previousRow = 0, previousColumn = 0;
  for (size_t first = 0; first < entryCount(record); first += kPiece) {
    size_t n = std::min(kPiece, entryCount(record) - first);
    if (!readDoubles(file, record, elementOffset(record, 0, first), n, rowNumbers) ||
        !readDoubles(file, record, elementOffset(record, 1, first), n, columnNumbers)) {
      why = "the entries cannot be read";
      return false;
    }
    for (size_t i = 0; i < n; ++i) {
      size_t k = first + i;
      if (!isWholeInRange(rowNumbers[i], 1, static_cast<double>(rows))) {
        std::snprintf(text, sizeof text, "entry %zu has row %g, not a whole number from 1 to %zu",
                      k, rowNumbers[i], rows);
        faultAt = elementOffset(record, 0, k);
      } else if (!isWholeInRange(columnNumbers[i], 1, static_cast<double>(columns))) {
        std::snprintf(text, sizeof text,
                      "entry %zu has column %g, not a whole number from 1 to %zu", k,
                      columnNumbers[i], columns);
        faultAt = elementOffset(record, 1, k);
      } else {
        size_t row = static_cast<size_t>(rowNumbers[i]);
        size_t column = static_cast<size_t>(columnNumbers[i]);
        bool sameColumn = k > 0 && column == previousColumn;
        if (k > 0 && (column < previousColumn || (sameColumn && row <= previousRow))) {
          std::snprintf(text, sizeof text, column < previousColumn
                                               ? "entries not in column order at entry %zu"
                                               : "rows not rising within a column at entry %zu",
                        k);
          faultAt = elementOffset(record, 0, k);
        } else {
          previousRow = row;
          previousColumn = column;
          continue;
        }
      }
      why = text;
      return false;
    }
  }
  return true;
}

bool readSparseDimensions(const FileBytes &file, const Record &record, size_t &rows,
                          size_t &columns) {
  double last[2];
  if (!readDoubles(file, record, elementOffset(record, 0, entryCount(record)), 1, &last[0]) ||
      !readDoubles(file, record, elementOffset(record, 1, entryCount(record)), 1, &last[1])) {
    return false;
  }
  if (!isWholeInRange(last[0], 0, kMaxDimension) || !isWholeInRange(last[1], 0, kMaxDimension)) {
    return false;
  }
  rows = static_cast<size_t>(last[0]);
  columns = static_cast<size_t>(last[1]);
  return true;
}

mxArray *readSparse(const FileBytes &file, const Record &record) {
  size_t rows = 0, columns = 0;
  if (!readSparseDimensions(file, record, rows, columns) || !columnStartsFit(columns, file.size())) {
    return nullptr;
  }
  bool complex = record.columns == 4;
  standin::ArrayPtr array(standin::createSparse(ArrayClass::Double, rows, columns, entryCount(record), complex));
  // The real values' buffer serves as scratch for the index columns first.
  double *real = static_cast<double *>(array->real);
  if (!fillRowIndices(file, record, *array, real) ||
      !fillColumnStarts(file, record, *array, real) ||
      !readStoredColumn(file, record, 2, real)) {
    return nullptr;
  }
  if (complex && !readStoredColumn(file, record, 3, static_cast<double *>(array->imag))) {
    return nullptr;
  }
  return array.release();
}

}  // namespace mat_v4
