// Reader of version 7.3 MAT-files: HDF5 files behind a 512-byte user block
// that starts with a version 5 style header of version 0x0200.
#ifndef STAND_IN_HOST_LIBMAT_V73_VERSION_READER_H
#define STAND_IN_HOST_LIBMAT_V73_VERSION_READER_H

#include "variable_reader.h"

namespace mat_v73 {

// True if the file starts with the 128-byte header of a version 7.3 file.
bool hasVersion73Header(const FileBytes &file);

// Recognized by that header; a build without libhdf5 recognizes such files
// and refuses them.
extern const VersionReader kVersionReader;

}  // namespace mat_v73

#endif
