// The examination and salvage of version 7.3 files (examination.h): each
// variable is a dataset or group of its own, described and checked by
// itself, so damage to one leaves the others to be found. libhdf5 runs in
// the reader process as for any read, started again if it crashes on a
// damaged variable.
#ifndef STAND_IN_HOST_LIBMAT_V73_EXAMINE_H
#define STAND_IN_HOST_LIBMAT_V73_EXAMINE_H

#include <string>

#include "common/file_bytes.h"
#include "examination.h"

namespace mat_v73 {

// False (with `why`) if libhdf5 is not in this build or cannot open the
// file at all; the header's facts are filled in either way.
bool examine(const char *path, const FileBytes &file, FileExamination &examination,
             std::string &why);

bool salvage(const char *path, const FileExamination &examination, const char *outPath,
             std::string &why);

}  // namespace mat_v73

#endif
