// Placing a chunked dataset's stored chunks into an array's blocks, without
// libhdf5: each chunk is read from the file (and inflated when deflated)
// as a stream, on two threads. A chunk that covers a contiguous run of the
// array, stored as the array holds its values, is read or inflated
// straight into its place; any other chunk passes through a window of a
// few MiB and is scattered from there, run by run. So no chunk, however
// large, costs more memory than its window.
#ifndef STAND_IN_HOST_LIBMAT_V73_CHUNK_PLACEMENT_H
#define STAND_IN_HOST_LIBMAT_V73_CHUNK_PLACEMENT_H

#include <cstdint>
#include <string>

#include "common/file_bytes.h"
#include "v73/chunk_grid.h"
#include "v73/element_store.h"

namespace mat_v73 {

// Where a chunk failed, for an examination to say.
struct ChunkFault {
  uint64_t chunk = 0;       // its number in grid order
  uint64_t at = 0;          // the offset in the file where it broke
  std::string why;
};

// Places every listed chunk of `file` through `store`. The list must be
// sound (isSoundChunkList) for the store's elements and the file. False on
// a short read or a chunk that does not inflate to exactly its size, its
// checksum right; `fault`, when given, says which chunk and why.
bool placeChunks(const ChunkList &list, const FileBytes &file, const ElementStore &store,
                 ChunkFault *fault = nullptr);

}  // namespace mat_v73

#endif
