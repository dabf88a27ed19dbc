// The examination and salvage of version 4 files (examination.h): records
// are located one after another by the sizes in their headers; a header
// that cannot be read ends the locating.
#ifndef STAND_IN_HOST_LIBMAT_V4_EXAMINE_H
#define STAND_IN_HOST_LIBMAT_V4_EXAMINE_H

#include <string>

#include "common/file_bytes.h"
#include "examination.h"

namespace mat_v4 {

void examine(const FileBytes &file, FileExamination &examination);

// Writes every intact record to `out`.
bool salvage(const FileBytes &file, const FileExamination &examination, int out, std::string &why);

}  // namespace mat_v4

#endif
