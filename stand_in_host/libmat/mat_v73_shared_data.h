// Array data that a reader process shares with the process it reads for:
// large blocks live in pages of a memory file that both map, so that the
// data is written once, by libhdf5, and never copied.
//
// A block is an ordinary heap block (posix_memalign, page-aligned) whose
// whole pages are then mapped from the memory file in place: freeData
// releases it like any other block, and the memory file's pages go with the
// last mapping of them. The bytes after the last whole page stay private and
// travel with the array's description.
#ifndef STAND_IN_HOST_LIBMAT_MAT_V73_SHARED_DATA_H
#define STAND_IN_HOST_LIBMAT_MAT_V73_SHARED_DATA_H

#include <cstddef>
#include <cstdint>

namespace mat_v73 {

// Allocates data for an array the version 7.3 reader builds: from the
// shared memory file while one is being filled, else as libmx does.
// Throws std::bad_alloc when memory cannot be had.
void *allocateArrayData(size_t bytes);

// Where a block lies in the memory file: `wholeBytes` from `offset`.
struct SharedRegion {
  uint64_t offset = 0;
  size_t wholeBytes = 0;
};

// In the reader process: blocks allocated from now on are shared through a
// new memory file (until endSharing).
void beginSharing();
// The region of the block starting at `data`; false if it is not shared.
bool findSharedRegion(const void *data, SharedRegion &region);
// The memory file holding this read's shared blocks; -1 if there is none.
int sharedFile();
// Forgets the blocks and closes the memory file (mapped blocks stay valid).
void endSharing();

// In the receiving process: a new block of `bytes` bytes whose first
// `region.wholeBytes` bytes are the region's pages of `memoryFile`. The
// rest is left for the caller to fill. Freed with standin::freeData.
void *adoptSharedBlock(int memoryFile, const SharedRegion &region, size_t bytes);

}  // namespace mat_v73

#endif
