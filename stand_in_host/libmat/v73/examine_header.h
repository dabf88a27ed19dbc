// The facts of a version 7.3 file's first bytes, for its examination.
#ifndef STAND_IN_HOST_LIBMAT_V73_EXAMINE_HEADER_H
#define STAND_IN_HOST_LIBMAT_V73_EXAMINE_HEADER_H

#include "common/file_bytes.h"
#include "examination.h"

namespace mat_v73 {

// The version, the writer's text and byte order, the superblock's version.
void examineHeader(const FileBytes &file, FileExamination &examination);

}  // namespace mat_v73

#endif
