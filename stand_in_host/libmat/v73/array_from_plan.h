// Building an array from its plan, in the process that owns the array. The
// plan is checked as it is followed: classes, shapes and counts must hold
// together, and every data source must be backed by the file before any
// block is allocated for it, so that a plan from a reader process that
// went wrong cannot make this process allocate or read beyond the file.
#ifndef STAND_IN_HOST_LIBMAT_V73_ARRAY_FROM_PLAN_H
#define STAND_IN_HOST_LIBMAT_V73_ARRAY_FROM_PLAN_H

#include "common/file_bytes.h"
#include "mx_array.h"
#include "v73/data_filling.h"
#include "v73/plan.h"
#include "v73/plan_source.h"

namespace mat_v73 {

// The array `plan` describes, with its data read from `file` and, for
// streamed sources, from `streams`; null if the plan does not hold together
// or its data is damaged. The name and global flag are not set. Throws
// std::bad_alloc when memory runs out.
standin::ArrayPtr buildArray(const ArrayPlan &plan, const FileBytes &file, PlanSource &streams);

// Reads every byte of the data buildArray would read for `plan` and makes
// every check it makes, keeping none of the data (a sparse array's indices
// are kept, to check its structure, when they take at most 16 MiB): true
// where buildArray succeeds; false with `fault` saying why otherwise.
bool examineArray(const ArrayPlan &plan, const FileBytes &file, PlanSource &streams,
                  DataFault &fault);

}  // namespace mat_v73

#endif
