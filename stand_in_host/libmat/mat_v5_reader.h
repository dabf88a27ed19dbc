// Reader of version 5, 6 and 7 MAT-files: a 128-byte header, then one
// miMATRIX element (or, in version 7, one compressed element) per variable.
// Every size in the file is checked against the bytes that hold it before
// anything is allocated or read; a damaged element gives null, never a
// partial array. Array data is read (or inflated) straight into the array's
// own buffer.
#ifndef STAND_IN_HOST_LIBMAT_MAT_V5_READER_H
#define STAND_IN_HOST_LIBMAT_MAT_V5_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "mx_array.h"

namespace mat_v5 {

struct FileHeader {
  bool swapBytes = false;         // the file was written in the other byte order
  uint64_t subsystemOffset = 0;   // 0: the file has no subsystem data element
  uint64_t firstElement = 128;    // offset of the first data element
};

// Reads and checks the 128-byte header of a version 5/6/7 file (version
// 0x0100); false for anything else, version 7.3 included.
bool readFileHeader(const FileBytes &file, FileHeader &header);

// The names of all variables, reading element headers only (a compressed
// element is inflated only as far as its name); false if any element is
// damaged or runs past the end of the file. The subsystem data element is
// not a variable.
bool listVariableNames(const FileBytes &file, const FileHeader &header,
                       std::vector<std::string> &names);

// Reads the variable whose element starts at `offset` (skipping the
// subsystem data element) and moves `offset` past it. With `whole` false
// only the header is read (class, dimensions, flags, name); with `whole`
// true everything is read and checked, compressed streams to their
// checksum. Null at the end of the file or for a damaged element (never
// an exception: running out of memory gives null too).
mxArray *readVariable(const FileBytes &file, const FileHeader &header, uint64_t &offset,
                      bool whole);

}  // namespace mat_v5

#endif
