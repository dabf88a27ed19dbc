// The chunks of a chunked dataset: the grid they form over the dataset and
// where each one is stored. Dimensions are in HDF5 order (the last varies
// fastest), sizes in bytes of one stored element.
#ifndef STAND_IN_HOST_LIBMAT_V73_CHUNK_GRID_H
#define STAND_IN_HOST_LIBMAT_V73_CHUNK_GRID_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mat_v73 {

constexpr int kMaxChunkRank = 32;

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

// The origin of chunk number `n` in grid order.
void originOf(const ChunkGrid &grid, uint64_t n, uint64_t *origin);

// True if the grid describes an array of exactly `arrayBytes` bytes with
// chunks no larger than the array allows (twice its size and 1 MiB more),
// and each listed chunk is plausible: stored whole when not deflated, at
// least 1/kMaxInflation of the chunk when deflated (deflate expands no
// further), never more than twice the chunk, and inside a file of
// `fileSize` bytes.
bool isSoundChunkList(const ChunkList &list, uint64_t arrayBytes, uint64_t fileSize);

}  // namespace mat_v73

#endif
