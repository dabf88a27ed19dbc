// The examination and salvage of version 5, 6 and 7 files (examination.h):
// each top-level element is located by its tag and read twice, once for
// its header and once whole, with its data checked and dropped.
#ifndef STAND_IN_HOST_LIBMAT_V5_EXAMINE_H
#define STAND_IN_HOST_LIBMAT_V5_EXAMINE_H

#include <string>

#include "common/file_bytes.h"
#include "examination.h"
#include "v5/reader.h"

namespace mat_v5 {

void examine(const FileBytes &file, const FileHeader &header, FileExamination &examination);

// Writes the header and every intact element, and the subsystem data
// element when there is one, to `out`.
bool salvage(const FileBytes &file, const FileHeader &header, const FileExamination &examination,
             int out, std::string &why);

}  // namespace mat_v5

#endif
