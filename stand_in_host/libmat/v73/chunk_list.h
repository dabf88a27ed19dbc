// Finding, with libhdf5, where the stored chunks of a chunked dataset lie in
// the file, so that whoever builds the array can read and inflate them
// without libhdf5.
#ifndef STAND_IN_HOST_LIBMAT_V73_CHUNK_LIST_H
#define STAND_IN_HOST_LIBMAT_V73_CHUNK_LIST_H

#include <hdf5.h>

#include "v73/chunk_grid.h"

namespace mat_v73 {

// Lists the chunks of `dataset`, whose stored elements take `elementSize`
// bytes each and `datasetBytes` in all, if it is chunked, compressed with
// deflate or not filtered at all, every chunk is stored, libhdf5 reads the
// file through this reader's file driver, and the list is sound
// (isSoundChunkList) for the file's size. False otherwise: the dataset is
// then read with libhdf5.
bool listChunks(hid_t dataset, uint64_t elementSize, uint64_t datasetBytes, ChunkList &list);

// True if the chunk index of the chunked `dataset` names each of its stored
// chunks once: as many index entries as grid places where libhdf5 finds a
// stored chunk. An entry twice, outside the grid or of no bytes breaks that;
// libhdf5 then reads one entry or the other, and copies one it cannot read.
bool chunkIndexFitsGrid(hid_t dataset);

// True if the chunk index of `dataset` has exactly `entries` entries: what
// is left to check when a stored chunk was found at each of `entries`
// places of the grid.
bool chunkIndexHolds(hid_t dataset, uint64_t entries);

}  // namespace mat_v73

#endif
