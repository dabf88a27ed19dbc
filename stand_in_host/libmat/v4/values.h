// Reading the stored elements of a version 4 record, in the writer's byte
// order and element type, as the doubles or UTF-16 code units of an array.
#ifndef STAND_IN_HOST_LIBMAT_V4_VALUES_H
#define STAND_IN_HOST_LIBMAT_V4_VALUES_H

#include <cstddef>
#include <cstdint>

#include "common/file_bytes.h"

namespace mat_v4 {

struct Record;

// Reads `count` elements of the record starting at byte `offset` into
// `out`, converted to double. The elements must lie inside the file.
bool readDoubles(const FileBytes &file, const Record &record, uint64_t offset, size_t count,
                 double *out);

// Reads `count` elements as UTF-16 code units; false if one is not a whole
// number from 0 to 65535.
bool readCodeUnits(const FileBytes &file, const Record &record, uint64_t offset, size_t count,
                   uint16_t *out);

}  // namespace mat_v4

#endif
