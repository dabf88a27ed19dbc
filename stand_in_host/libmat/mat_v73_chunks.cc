#include "mat_v73_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "mat_v73_id.h"

namespace mat_v73 {

namespace {

struct ChunkGrid {
  int rank = 0;
  hsize_t dims[H5S_MAX_RANK];   // the dataset's, in HDF5 order (last varies fastest)
  hsize_t chunk[H5S_MAX_RANK];  // one chunk's
  size_t elementSize = 0;
  size_t chunkBytes = 0;
  bool deflated = false;
};

// No filter, or deflate alone; anything else is left to libhdf5.
bool readFilters(hid_t creation, bool &deflated) {
  int filters = H5Pget_nfilters(creation);
  if (filters < 0 || filters > 1) return false;
  deflated = filters == 1;
  if (!deflated) return true;
  unsigned flags = 0, config = 0;
  size_t values = 0;
  return H5Pget_filter2(creation, 0, &flags, &values, nullptr, 0, nullptr, &config) ==
         H5Z_FILTER_DEFLATE;
}

bool describeGrid(hid_t dataset, hid_t memoryType, ChunkGrid &grid) {
  Id creation(H5Dget_create_plist(dataset));
  Id type(H5Dget_type(dataset));
  Id space(H5Dget_space(dataset));
  if (!creation.valid() || !type.valid() || !space.valid() ||
      H5Pget_layout(creation.get()) != H5D_CHUNKED || H5Tequal(type.get(), memoryType) <= 0 ||
      !readFilters(creation.get(), grid.deflated)) {
    return false;
  }
  grid.rank = H5Sget_simple_extent_dims(space.get(), grid.dims, nullptr);
  if (grid.rank < 1 || H5Pget_chunk(creation.get(), grid.rank, grid.chunk) != grid.rank) {
    return false;
  }
  grid.elementSize = H5Tget_size(memoryType);
  uint64_t bytes = grid.elementSize;
  for (int i = 0; i < grid.rank; ++i) {
    if (grid.chunk[i] == 0 || grid.chunk[i] > (uint64_t(1) << 32) / bytes) return false;
    bytes *= grid.chunk[i];
  }
  grid.chunkBytes = static_cast<size_t>(bytes);
  return true;
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

// Copies the part of the chunk at `origin` that lies inside the dataset: runs
// along the fastest dimension, stepping along the next one in an inner loop.
void placeChunk(const ChunkGrid &grid, const hsize_t *origin, const unsigned char *chunk,
                unsigned char *buffer) {
  int last = grid.rank - 1;
  hsize_t extent[H5S_MAX_RANK];
  for (int i = 0; i < grid.rank; ++i) {
    extent[i] = grid.dims[i] - origin[i] < grid.chunk[i] ? grid.dims[i] - origin[i] : grid.chunk[i];
  }
  size_t size = grid.elementSize;
  size_t run = static_cast<size_t>(extent[last]) * size;
  int stepped = last > 0 ? last - 1 : 0;  // the dimension the inner loop steps along
  size_t count = last > 0 ? static_cast<size_t>(extent[stepped]) : 1;
  size_t fromStride = static_cast<size_t>(grid.chunk[last]) * size;
  size_t toStride = static_cast<size_t>(grid.dims[last]) * size;
  hsize_t index[H5S_MAX_RANK] = {};
  for (;;) {
    hsize_t source = 0, target = 0;
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

// One chunk as stored: where it goes, its bytes, and whether deflate was
// applied to it.
struct StoredChunk {
  hsize_t origin[H5S_MAX_RANK];
  std::vector<unsigned char> bytes;
  bool deflated = false;
};

// Reads the stored bytes of the chunk at `origin` (libhdf5, this thread only).
bool loadChunk(hid_t dataset, const ChunkGrid &grid, const hsize_t *origin, StoredChunk &stored) {
  hsize_t storedBytes = 0;
  if (H5Dget_chunk_storage_size(dataset, origin, &storedBytes) < 0 || storedBytes == 0 ||
      storedBytes > 2 * static_cast<hsize_t>(grid.chunkBytes) + 1024) {
    return false;
  }
  std::copy(origin, origin + grid.rank, stored.origin);
  stored.bytes.resize(static_cast<size_t>(storedBytes));
  uint32_t skipped = 0;
  if (H5Dread_chunk(dataset, H5P_DEFAULT, origin, &skipped, stored.bytes.data()) < 0) return false;
  stored.deflated = grid.deflated && (skipped & 1) == 0;
  // Deflate cannot inflate a stream to more than about 1032 times its size.
  return stored.deflated ? grid.chunkBytes / 1032 <= stored.bytes.size()
                         : stored.bytes.size() == grid.chunkBytes;
}

// Inflates a stored chunk if needed and copies it into place.
bool placeStoredChunk(const ChunkGrid &grid, const StoredChunk &stored,
                      std::vector<unsigned char> &chunk, unsigned char *buffer) {
  const unsigned char *data = stored.bytes.data();
  if (stored.deflated) {
    chunk.resize(grid.chunkBytes);
    uLongf inflated = static_cast<uLongf>(grid.chunkBytes);
    if (uncompress(chunk.data(), &inflated, data, static_cast<uLong>(stored.bytes.size())) != Z_OK ||
        inflated != grid.chunkBytes) {
      return false;
    }
    data = chunk.data();
  }
  placeChunk(grid, stored.origin, data, buffer);
  return true;
}

// Places a batch of chunks on two threads: inflating dominates the read, and
// the chunks of a batch land in disjoint parts of the array.
bool placeBatch(const ChunkGrid &grid, const std::vector<StoredChunk> &batch, size_t count,
                unsigned char *buffer) {
  std::atomic<bool> placed{true};
  auto placeEvery = [&](size_t first) {
    std::vector<unsigned char> chunk;
    try {
      for (size_t i = first; i < count && placed; i += 2) {
        if (!placeStoredChunk(grid, batch[i], chunk, buffer)) placed = false;
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

// Chunks in a batch: up to 256, and stored bytes of 16 MiB at most beyond the first.
constexpr size_t kBatchChunks = 256;
constexpr size_t kBatchBytes = size_t(16) << 20;

}  // namespace

bool readByChunks(hid_t dataset, hid_t memoryType, void *buffer) {
  ChunkGrid grid;
  if (!describeGrid(dataset, memoryType, grid)) return false;
  for (int i = 0; i < grid.rank; ++i) {
    if (grid.dims[i] == 0) return true;
  }
  std::vector<StoredChunk> batch(kBatchChunks);
  hsize_t origin[H5S_MAX_RANK] = {};
  bool more = true;
  while (more) {
    size_t count = 0, bytes = 0;
    while (more && count < kBatchChunks && bytes < kBatchBytes) {
      if (!loadChunk(dataset, grid, origin, batch[count])) return false;
      bytes += batch[count++].bytes.size();
      int i = grid.rank - 1;
      while (i >= 0 && (origin[i] += grid.chunk[i]) >= grid.dims[i]) origin[i--] = 0;
      more = i >= 0;
    }
    if (!placeBatch(grid, batch, count, static_cast<unsigned char *>(buffer))) return false;
  }
  return true;
}

}  // namespace mat_v73
