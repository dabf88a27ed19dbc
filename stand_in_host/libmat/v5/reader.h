// Reader of version 5, 6 and 7 MAT-files: a 128-byte header, then one
// miMATRIX element (or, in version 7, one compressed element) per variable.
// Every size in the file is checked against the bytes that hold it before
// anything is allocated or read; a damaged element gives null, never a
// partial array. Array data is read (or inflated) straight into the array's
// own buffer.
#ifndef STAND_IN_HOST_LIBMAT_V5_READER_H
#define STAND_IN_HOST_LIBMAT_V5_READER_H

#include <cstdint>

#include "common/file_bytes.h"
#include "variable_reader.h"

namespace mat_v5 {

struct FileHeader {
  bool swapBytes = false;         // the file was written in the other byte order
  uint64_t subsystemOffset = 0;   // 0: the file has no subsystem data element
  uint64_t firstElement = 128;    // offset of the first data element
};

// Reads and checks the 128-byte header of a version 5/6/7 file (version
// 0x0100); false for anything else, version 7.3 included.
bool readFileHeader(const FileBytes &file, FileHeader &header);

// Versions 5, 6 and 7: recognized by the header above.
extern const VersionReader kVersionReader;

}  // namespace mat_v5

#endif
