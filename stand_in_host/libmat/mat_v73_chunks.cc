#include "mat_v73_chunks.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
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

// Copies the part of the chunk at `origin` that lies inside the dataset, one
// run along the fastest dimension at a time.
void placeChunk(const ChunkGrid &grid, const hsize_t *origin, const unsigned char *chunk,
                unsigned char *buffer) {
  int last = grid.rank - 1;
  hsize_t extent[H5S_MAX_RANK];
  for (int i = 0; i < grid.rank; ++i) {
    extent[i] = grid.dims[i] - origin[i] < grid.chunk[i] ? grid.dims[i] - origin[i] : grid.chunk[i];
  }
  size_t run = static_cast<size_t>(extent[last]) * grid.elementSize;
  hsize_t index[H5S_MAX_RANK] = {};
  for (;;) {
    hsize_t source = 0, target = 0;
    for (int i = 0; i < grid.rank; ++i) {
      source = source * grid.chunk[i] + index[i];
      target = target * grid.dims[i] + origin[i] + index[i];
    }
    std::memcpy(buffer + target * grid.elementSize, chunk + source * grid.elementSize, run);
    int i = last - 1;
    while (i >= 0 && ++index[i] == extent[i]) index[i--] = 0;
    if (i < 0) return;
  }
}

// Reads the stored chunk at `origin` and leaves it inflated in `chunk`.
bool loadChunk(hid_t dataset, const ChunkGrid &grid, const hsize_t *origin,
               std::vector<unsigned char> &stored, std::vector<unsigned char> &chunk) {
  hsize_t storedBytes = 0;
  if (H5Dget_chunk_storage_size(dataset, origin, &storedBytes) < 0 || storedBytes == 0 ||
      storedBytes > 2 * static_cast<hsize_t>(grid.chunkBytes) + 1024) {
    return false;
  }
  stored.resize(static_cast<size_t>(storedBytes));
  uint32_t skipped = 0;
  if (H5Dread_chunk(dataset, H5P_DEFAULT, origin, &skipped, stored.data()) < 0) return false;
  if (!grid.deflated || (skipped & 1) != 0) {
    if (stored.size() != grid.chunkBytes) return false;
    chunk.swap(stored);
    return true;
  }
  // Deflate cannot inflate a stream to more than about 1032 times its size.
  if (grid.chunkBytes / 1032 > stored.size()) return false;
  chunk.resize(grid.chunkBytes);
  uLongf inflated = static_cast<uLongf>(grid.chunkBytes);
  return uncompress(chunk.data(), &inflated, stored.data(), static_cast<uLong>(stored.size())) ==
             Z_OK &&
         inflated == grid.chunkBytes;
}

}  // namespace

bool readByChunks(hid_t dataset, hid_t memoryType, void *buffer) {
  ChunkGrid grid;
  if (!describeGrid(dataset, memoryType, grid)) return false;
  std::vector<unsigned char> stored, chunk;
  hsize_t origin[H5S_MAX_RANK] = {};
  for (int i = 0; i < grid.rank; ++i) {
    if (grid.dims[i] == 0) return true;
  }
  for (;;) {
    if (!loadChunk(dataset, grid, origin, stored, chunk)) return false;
    placeChunk(grid, origin, chunk.data(), static_cast<unsigned char *>(buffer));
    int i = grid.rank - 1;
    while (i >= 0 && (origin[i] += grid.chunk[i]) >= grid.dims[i]) origin[i--] = 0;
    if (i < 0) return true;
  }
}

}  // namespace mat_v73
