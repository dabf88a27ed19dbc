// Reader of version 4 MAT-files: a sequence of records, no file header.
#ifndef STAND_IN_HOST_LIBMAT_V4_READER_H
#define STAND_IN_HOST_LIBMAT_V4_READER_H

#include "variable_reader.h"

namespace mat_v4 {

// Recognized by a well-formed record header at the start of the file.
extern const VersionReader kVersionReader;

}  // namespace mat_v4

#endif
