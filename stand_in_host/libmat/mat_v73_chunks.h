// Reading a compressed dataset chunk by chunk: each chunk's stored bytes are
// inflated with zlib and copied into place in the array. libhdf5's own read
// scatters every chunk element by element when the chunks run across the
// array's columns, as matio writes them; this path copies whole runs, and
// inflates on two threads.
#ifndef STAND_IN_HOST_LIBMAT_MAT_V73_CHUNKS_H
#define STAND_IN_HOST_LIBMAT_MAT_V73_CHUNKS_H

#include <hdf5.h>

namespace mat_v73 {

// Reads the whole dataset into `buffer` as `memoryType` if it is chunked,
// deflate-compressed or not filtered at all, every chunk is stored, and its
// stored type is `memoryType` itself. False otherwise, and for any damage:
// the caller then reads with H5Dread, which rewrites all of `buffer`.
bool readByChunks(hid_t dataset, hid_t memoryType, void *buffer);

}  // namespace mat_v73

#endif
