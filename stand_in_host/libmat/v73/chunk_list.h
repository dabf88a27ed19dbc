// Finding, with libhdf5, where the stored chunks of a compressed dataset lie
// in the file, so that they can be read and inflated without libhdf5
// (mat_v73_chunk_reading.h).
#ifndef STAND_IN_HOST_LIBMAT_V73_CHUNK_LIST_H
#define STAND_IN_HOST_LIBMAT_V73_CHUNK_LIST_H

#include <hdf5.h>

#include "v73/chunk_reading.h"

namespace mat_v73 {

// Lists the chunks of `dataset`, an array of `bufferBytes` bytes, if it is
// chunked, deflate-compressed or not filtered at all, every chunk is stored,
// its stored type is `memoryType` itself, libhdf5 reads the file through
// its default driver, and the list is sound (isSoundChunkList) for the
// file's size. False otherwise: the dataset is then left to H5Dread.
bool listChunks(hid_t dataset, hid_t memoryType, uint64_t bufferBytes, ChunkList &list);

// Reads the whole dataset into `buffer` (of `bufferBytes` bytes) as
// `memoryType` from the listed chunks, through the descriptor libhdf5 has
// the file open with. False when listChunks refuses the dataset or a chunk
// is damaged: the caller then reads with H5Dread, which rewrites all of
// `buffer`.
bool readByChunks(hid_t dataset, hid_t memoryType, uint64_t bufferBytes, void *buffer);

}  // namespace mat_v73

#endif
