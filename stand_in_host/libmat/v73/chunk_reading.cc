#include "v73/chunk_reading.h"

#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

namespace mat_v73 {

namespace {

// Deflate cannot inflate a stream to more than about 1032 times its size.
constexpr uint64_t kMaxInflation = 1032;
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

// Copies `count` runs of `run` bytes, `from` and `to` advancing by their
// strides. Runs of one double (chunks one element wide, as matio writes
// them) get a loop of their own, without a call per element.
void copyRuns(unsigned char *to, size_t toStride, const unsigned char *from, size_t fromStride,
              size_t run, size_t count) {
  if (run == sizeof(uint64_t)) {
    for (size_t k = 0; k < count; ++k, to += toStride, from += fromStride) {
      uint64_t value;
      std::memcpy(&value, from, sizeof value);
      std::memcpy(to, &value, sizeof value);
    }
    return;
  }
  for (size_t k = 0; k < count; ++k, to += toStride, from += fromStride) std::memcpy(to, from, run);
}

// Copies the part of the chunk at `origin` that lies inside the array: runs
// along the fastest dimension, stepping along the next one in an inner loop.
void placeChunk(const ChunkGrid &grid, const uint64_t *origin, const unsigned char *chunk,
                unsigned char *buffer) {
  int last = grid.rank - 1;
  uint64_t extent[kMaxChunkRank] = {};
  for (int i = 0; i < grid.rank; ++i) {
    extent[i] = grid.dims[i] - origin[i] < grid.chunk[i] ? grid.dims[i] - origin[i] : grid.chunk[i];
  }
  size_t size = static_cast<size_t>(grid.elementSize);
  size_t run = static_cast<size_t>(extent[last]) * size;
  int stepped = last > 0 ? last - 1 : 0;  // the dimension the inner loop steps along
  size_t count = last > 0 ? static_cast<size_t>(extent[stepped]) : 1;
  size_t fromStride = static_cast<size_t>(grid.chunk[last]) * size;
  size_t toStride = static_cast<size_t>(grid.dims[last]) * size;
  uint64_t index[kMaxChunkRank] = {};
  for (;;) {
    uint64_t source = 0, target = 0;
    for (int i = 0; i < grid.rank; ++i) {
      source = source * grid.chunk[i] + index[i];
      target = target * grid.dims[i] + origin[i] + index[i];
    }
    copyRuns(buffer + target * size, toStride, chunk + source * size, fromStride, run, count);
    int i = stepped - 1;
    while (i >= 0 && ++index[i] == extent[i]) index[i--] = 0;
    if (i < 0) return;
  }
}

// The origin of chunk number `n` in grid order.
void originOf(const ChunkGrid &grid, uint64_t n, uint64_t *origin) {
  for (int i = grid.rank - 1; i >= 0; --i) {
    uint64_t across = ceilDivide(grid.dims[i], grid.chunk[i]);
    origin[i] = n % across * grid.chunk[i];
    n /= across;
  }
}

bool readExactly(int file, void *into, uint64_t bytes, uint64_t offset) {
  char *out = static_cast<char *>(into);
  while (bytes > 0) {
    ssize_t n = pread(file, out, bytes, static_cast<off_t>(offset));
    if (n <= 0) return false;
    out += n;
    bytes -= static_cast<uint64_t>(n);
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

// A thread's buffers, reused from chunk to chunk.
struct ChunkBuffers {
  std::vector<unsigned char> stored;
  std::vector<unsigned char> inflated;
};

bool placeStoredChunk(int file, const ChunkList &list, uint64_t n, ChunkBuffers &buffers,
                      unsigned char *buffer) {
  const StoredChunk &stored = list.chunks[n];
  size_t chunkBytes = static_cast<size_t>(chunkBytesOf(list.grid));
  buffers.stored.resize(static_cast<size_t>(stored.bytes));
  if (!readExactly(file, buffers.stored.data(), stored.bytes, stored.offset)) return false;
  const unsigned char *data = buffers.stored.data();
  if (stored.deflated) {
    buffers.inflated.resize(chunkBytes);
    uLongf inflated = static_cast<uLongf>(chunkBytes);
    if (uncompress(buffers.inflated.data(), &inflated, data, static_cast<uLong>(stored.bytes)) !=
            Z_OK ||
        inflated != chunkBytes) {
      return false;
    }
    data = buffers.inflated.data();
  }
  uint64_t origin[kMaxChunkRank];
  originOf(list.grid, n, origin);
  placeChunk(list.grid, origin, data, buffer);
  return true;
}

}  // namespace

uint64_t chunkBytesOf(const ChunkGrid &grid) {
  if (grid.rank < 1 || grid.rank > kMaxChunkRank || grid.elementSize == 0 ||
      grid.elementSize > kMaxChunkBytes) {
    return 0;
  }
  uint64_t bytes = grid.elementSize;
  for (int i = 0; i < grid.rank; ++i) {
    if (grid.chunk[i] == 0 || grid.chunk[i] > kMaxChunkBytes / bytes) return 0;
    bytes *= grid.chunk[i];
  }
  return bytes;
}

uint64_t chunkCountOf(const ChunkGrid &grid) {
  if (chunkBytesOf(grid) == 0) return 0;
  uint64_t count = 1;
  for (int i = 0; i < grid.rank; ++i) {
    uint64_t across = ceilDivide(grid.dims[i], grid.chunk[i]);
    if (across != 0 && count > UINT64_MAX / across) return 0;
    count *= across;
  }
  return count;
}

bool isSoundChunkList(const ChunkList &list, uint64_t bufferBytes, uint64_t fileSize) {
  const ChunkGrid &grid = list.grid;
  uint64_t chunkBytes = chunkBytesOf(grid);
  if (chunkBytes == 0 || chunkBytes > 2 * bufferBytes + (uint64_t(1) << 20)) return false;
  uint64_t bytes = grid.elementSize;
  for (int i = 0; i < grid.rank; ++i) {
    if (grid.dims[i] != 0 && bytes > UINT64_MAX / grid.dims[i]) return false;
    bytes *= grid.dims[i];
  }
  if (bytes != bufferBytes || chunkCountOf(grid) != list.chunks.size()) return false;
  for (const StoredChunk &stored : list.chunks) {
    if (!isPlausible(stored, chunkBytes, fileSize)) return false;
  }
  return true;
}

bool placeChunks(int file, const ChunkList &list, void *buffer) {
  std::atomic<bool> placed{true};
  auto placeEvery = [&](uint64_t first) {
    try {
      ChunkBuffers buffers;
      for (uint64_t n = first; n < list.chunks.size() && placed; n += 2) {
        if (!placeStoredChunk(file, list, n, buffers, static_cast<unsigned char *>(buffer))) {
          placed = false;
        }
      }
    } catch (const std::bad_alloc &) {
      placed = false;
    }
  };
  std::thread helper;
  try {
    helper = std::thread(placeEvery, 1);
  } catch (const std::system_error &) {
    placeEvery(0);
    placeEvery(1);
    return placed;
  }
  placeEvery(0);
  helper.join();
  return placed;
}

}  // namespace mat_v73
