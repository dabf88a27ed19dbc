// Sparse matrices of version 4 MAT-files. The record is a matrix of one row
// per stored entry, (row, column, real[, imaginary]) with 1-based indices
// in column order, and a last row whose first two values are the sparse
// matrix's row and column counts.
#ifndef STAND_IN_HOST_LIBMAT_V4_SPARSE_H
#define STAND_IN_HOST_LIBMAT_V4_SPARSE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/file_bytes.h"
#include "v4/record.h"
#include "mx_array.h"

namespace mat_v4 {

// The row and column counts from the last row; false unless both are whole
// numbers from 0 to 2^31 - 1.
bool readSparseDimensions(const FileBytes &file, const Record &record, size_t &rows,
                          size_t &columns);

// Checks what readSparse checks, a piece of the entries at a time, keeping
// none: false with the first fault and where it lies. `entries` is the
// number of stored elements.
bool examineSparse(const FileBytes &file, const Record &record, uint64_t &entries,
                   std::string &why, uint64_t &faultAt);

// The whole sparse array; null if an index is out of range or not a whole
// number, or the entries are not in column order.
mxArray *readSparse(const FileBytes &file, const Record &record);

}  // namespace mat_v4

#endif
