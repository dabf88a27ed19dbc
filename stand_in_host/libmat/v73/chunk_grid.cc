#include "v73/chunk_grid.h"

#include "common/checked_arithmetic.h"
#include "common/inflater.h"

namespace mat_v73 {

namespace {

constexpr uint64_t kMaxChunkBytes = uint64_t(1) << 32;

uint64_t ceilDivide(uint64_t a, uint64_t b) { return a / b + (a % b != 0); }

bool isPlausible(const StoredChunk &stored, uint64_t chunkBytes, uint64_t fileSize) {
  if (stored.bytes == 0 || stored.bytes > 2 * chunkBytes + 1024 || stored.bytes > fileSize ||
      stored.offset > fileSize - stored.bytes) {
    return false;
  }
  return stored.deflated ? chunkBytes / kMaxInflation <= stored.bytes
                         : stored.bytes == chunkBytes;
}

}  // namespace

uint64_t chunkBytesOf(const ChunkGrid &grid) {
  if (grid.rank < 1 || grid.rank > kMaxChunkRank || grid.elementSize == 0 ||
      grid.elementSize > kMaxChunkBytes) {
    return 0;
  }
  uint64_t bytes = grid.elementSize;
  for (int i = 0; i < grid.rank; ++i) {
    if (grid.chunk[i] == 0 || !checked::multiply(bytes, grid.chunk[i], bytes) ||
        bytes > kMaxChunkBytes) {
      return 0;
    }
  }
  return bytes;
}

uint64_t chunkCountOf(const ChunkGrid &grid) {
  if (chunkBytesOf(grid) == 0) return 0;
  uint64_t count = 1;
  for (int i = 0; i < grid.rank; ++i) {
    if (!checked::multiply(count, ceilDivide(grid.dims[i], grid.chunk[i]), count)) return 0;
  }
  return count;
}

void originOf(const ChunkGrid &grid, uint64_t n, uint64_t *origin) {
  for (int i = grid.rank - 1; i >= 0; --i) {
    uint64_t across = ceilDivide(grid.dims[i], grid.chunk[i]);
    origin[i] = across == 0 ? 0 : n % across * grid.chunk[i];
    n = across == 0 ? 0 : n / across;
  }
}

bool isSoundChunkList(const ChunkList &list, uint64_t arrayBytes, uint64_t fileSize) {
  const ChunkGrid &grid = list.grid;
  uint64_t chunkBytes = chunkBytesOf(grid);
  if (chunkBytes == 0 || chunkBytes > 2 * arrayBytes + (uint64_t(1) << 20)) return false;
  uint64_t bytes = grid.elementSize;
  for (int i = 0; i < grid.rank; ++i) {
    if (!checked::multiply(bytes, grid.dims[i], bytes)) return false;
  }
  if (bytes != arrayBytes || chunkCountOf(grid) != list.chunks.size()) return false;
  for (const StoredChunk &stored : list.chunks) {
    if (!isPlausible(stored, chunkBytes, fileSize)) return false;
  }
  return true;
}

}  // namespace mat_v73
