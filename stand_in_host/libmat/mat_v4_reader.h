// Reader of version 4 MAT-files: a sequence of records, no file header.
#ifndef STAND_IN_HOST_LIBMAT_MAT_V4_READER_H
#define STAND_IN_HOST_LIBMAT_MAT_V4_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "mx_array.h"

namespace mat_v4 {

// True if the file starts with a well-formed version 4 record header.
bool looksLikeVersion4(const FileBytes &file);

// The names of all variables, reading record headers only; false if any
// record is damaged or runs past the end of the file.
bool listVariableNames(const FileBytes &file, std::vector<std::string> &names);

// Reads the record at `offset` and moves `offset` past it. With `whole`
// false only the header is read (class, dimensions, flags, name; no data).
// Null at the end of the file or for a damaged record.
mxArray *readVariable(const FileBytes &file, uint64_t &offset, bool whole);

}  // namespace mat_v4

#endif
