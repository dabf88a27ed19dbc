// Reading a compressed dataset's chunks without libhdf5: given where each
// stored chunk lies in the file (mat_v73_chunk_list.h finds that with
// libhdf5), the chunks are read from the file, inflated with zlib on two
// threads and copied into place in the array. libhdf5's own read scatters
// every chunk element by element when the chunks run across the array's
// columns, as matio writes them; this copies whole runs.
//
// The process that owns the array does this itself, so that decoded data
// never has to cross from the reader process: the list alone does.
#ifndef STAND_IN_HOST_LIBMAT_V73_CHUNK_READING_H
#define STAND_IN_HOST_LIBMAT_V73_CHUNK_READING_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mat_v73 {

constexpr int kMaxChunkRank = 32;

// The dataset's shape and its chunks' shape, in HDF5 order (the last
// dimension varies fastest).
struct ChunkGrid {
  int rank = 0;
  uint64_t dims[kMaxChunkRank] = {};
  uint64_t chunk[kMaxChunkRank] = {};
  uint64_t elementSize = 0;
};

// One stored chunk: its place in the file and whether deflate was applied.
struct StoredChunk {
  uint64_t offset = 0;
  uint64_t bytes = 0;
  bool deflated = false;
};

// Every chunk of the grid, in grid order: the chunk at the origin first,
// then along the last dimension, and so on.
struct ChunkList {
  ChunkGrid grid;
  std::vector<StoredChunk> chunks;
};

// The bytes of one whole chunk; 0 if the grid is malformed (no dimensions,
// more than kMaxChunkRank, a chunk dimension of 0, or chunks of more than
// 4 GiB).
uint64_t chunkBytesOf(const ChunkGrid &grid);

// The number of chunks the grid has; 0 if it is malformed or empty.
uint64_t chunkCountOf(const ChunkGrid &grid);

// True if the grid describes an array of exactly `bufferBytes` bytes with
// chunks no larger than the array allows (twice its size and 1 MiB more),
// and each listed chunk is plausible: stored whole when not deflated, at
// least 1/1032 of the chunk when deflated (deflate expands no further),
// never more than twice the chunk, and inside a file of `fileSize` bytes.
bool isSoundChunkList(const ChunkList &list, uint64_t bufferBytes, uint64_t fileSize);

// Reads the listed chunks from the open file `file`, inflating the deflated
// ones, into `buffer` (the whole array). False on a short read or a chunk
// that does not inflate to exactly its size. The list must be sound.
bool placeChunks(int file, const ChunkList &list, void *buffer);

}  // namespace mat_v73

#endif
