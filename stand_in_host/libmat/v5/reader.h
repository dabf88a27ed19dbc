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

// A top-level element: a variable, or the subsystem data.
struct TopElement {
  uint32_t type = 0;
  uint64_t dataOffset = 0;
  uint32_t nbytes = 0;
  uint64_t next = 0;  // where the following element starts
};

// Reads the tag of the top-level element at `offset`: a miMATRIX element
// (followed by padding to 8 bytes, which the end of the file may cut) or a
// compressed one, whose data must lie inside the file. On failure the
// fields read so far say why.
bool readTopElement(const FileBytes &file, const FileHeader &header, uint64_t offset,
                    TopElement &element);

// False for the subsystem data element, which is not a variable.
bool isVariable(const FileHeader &header, uint64_t offset);

// Versions 5, 6 and 7: recognized by the header above.
extern const VersionReader kVersionReader;

}  // namespace mat_v5

#endif
