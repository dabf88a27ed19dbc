// Filling an array's blocks from the data sources of its plan, in the
// process that owns the array: a range of the file, chunks read and
// inflated here, bytes inside the plan, or a stream asked of the plan's
// source. Every source is checked against the blocks and the file first.
#ifndef STAND_IN_HOST_LIBMAT_V73_DATA_FILLING_H
#define STAND_IN_HOST_LIBMAT_V73_DATA_FILLING_H

#include <cstdint>
#include <string>

#include "common/file_bytes.h"
#include "v73/element_store.h"
#include "v73/plan.h"
#include "v73/plan_source.h"

namespace mat_v73 {

// What an examination found wrong with data: why, and where in the file.
struct DataFault {
  std::string why;
  bool placed = false;
  uint64_t at = 0;
};

// Fills the targets of `source` in `blocks`; false for a source that does
// not fit them or the file, damaged data, or a stream that failed. With
// `examined` given, a failure is described there. With `discard`, the
// blocks have no data: every byte is read and checked as it would be, and
// nothing is kept.
bool fillFromSource(const DataSource &source, ArrayBlocks &blocks, const FileBytes &file,
                    PlanSource &streams, DataFault *examined = nullptr, bool discard = false);

}  // namespace mat_v73

#endif
