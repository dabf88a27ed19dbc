#include "v73/chunk_list.h"

#include <vector>

#include "v73/file_driver.h"
#include "v73/hdf5_id.h"

namespace mat_v73 {

namespace {

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

bool describeGrid(hid_t dataset, uint64_t elementSize, ChunkGrid &grid, bool &deflated) {
  Id creation(H5Dget_create_plist(dataset));
  Id space(H5Dget_space(dataset));
  if (!creation.valid() || !space.valid() || H5Pget_layout(creation.get()) != H5D_CHUNKED ||
      !readFilters(creation.get(), deflated)) {
    return false;
  }
  hsize_t dims[H5S_MAX_RANK], chunk[H5S_MAX_RANK];
  grid.rank = H5Sget_simple_extent_dims(space.get(), dims, nullptr);
  if (grid.rank < 1 || grid.rank > kMaxChunkRank ||
      H5Pget_chunk(creation.get(), grid.rank, chunk) != grid.rank) {
    return false;
  }
  for (int i = 0; i < grid.rank; ++i) {
    grid.dims[i] = dims[i];
    grid.chunk[i] = chunk[i];
  }
  grid.elementSize = elementSize;
  return true;
}

// Where the stored bytes of the chunk at `origin` lie: libhdf5 is asked to
// read them, with the read recorded instead of made. `scratch` takes what
// libhdf5 would write if the read were made after all.
bool locateChunk(hid_t dataset, const hsize_t *origin, uint64_t chunkBytes, uint64_t fileSize,
                 std::vector<unsigned char> &scratch, StoredChunk &stored) {
  hsize_t bytes = 0;
  if (H5Dget_chunk_storage_size(dataset, origin, &bytes) < 0 || bytes == 0 ||
      bytes > 2 * chunkBytes + 1024 || bytes > fileSize) {
    return false;  // a chunk never written reads as the fill value: libhdf5's work
  }
  scratch.resize(static_cast<size_t>(bytes));
  RawDataProbe probe;
  uint32_t skipped = 0;
  if (H5Dread_chunk(dataset, H5P_DEFAULT, origin, &skipped, scratch.data()) < 0 ||
      !probe.take(stored.offset, stored.bytes) || stored.bytes != bytes) {
    return false;
  }
  stored.deflated = (skipped & 1) == 0;  // bit 0: the deflate filter was skipped
  return true;
}

// Moves `origin` to the next chunk of the grid, last dimension fastest;
// false after the last.
template <typename Size>
bool nextChunk(int rank, const Size *dims, const Size *chunk, hsize_t *origin) {
  int i = rank - 1;
  while (i >= 0 && (origin[i] += chunk[i]) >= dims[i]) origin[i--] = 0;
  return i >= 0;
}

// The number of entries in the chunk index of `dataset`. libhdf5 1.10
// takes no H5S_ALL for the dataspace here.
bool countIndexEntries(hid_t dataset, hid_t space, hsize_t &entries) {
  return H5Dget_num_chunks(dataset, space, &entries) >= 0;
}

}  // namespace

bool chunkIndexHolds(hid_t dataset, uint64_t entries) {
  Id space(H5Dget_space(dataset));
  hsize_t counted = 0;
  return space.valid() && countIndexEntries(dataset, space.get(), counted) && counted == entries;
}

bool chunkIndexFitsGrid(hid_t dataset) {
  hsize_t entries = 0;
  Id space(H5Dget_space(dataset));
  if (!space.valid() || !countIndexEntries(dataset, space.get(), entries)) return false;
  if (entries == 0) return true;
  Id creation(H5Dget_create_plist(dataset));
  hsize_t dims[H5S_MAX_RANK], chunk[H5S_MAX_RANK], origin[H5S_MAX_RANK] = {};
  int rank = H5Sget_simple_extent_dims(space.get(), dims, nullptr);
  if (!creation.valid() || rank < 1 || H5Pget_chunk(creation.get(), rank, chunk) != rank) {
    return false;
  }
  for (int i = 0; i < rank; ++i) {
    if (dims[i] == 0 || chunk[i] == 0) return false;  // entries, yet no place for them
  }
  hsize_t found = 0;
  do {
    hsize_t bytes = 0;
    if (H5Dget_chunk_storage_size(dataset, origin, &bytes) < 0) return false;
    if (bytes > 0 && ++found > entries) return false;
  } while (nextChunk(rank, dims, chunk, origin));
  return found == entries;
}

bool listChunks(hid_t dataset, uint64_t elementSize, uint64_t datasetBytes, ChunkList &list) {
  int descriptor = -1;
  uint64_t fileSize = 0;
  bool deflated = false;
  ChunkGrid &grid = list.grid;
  if (!openFileOf(dataset, descriptor, fileSize) ||
      !describeGrid(dataset, elementSize, grid, deflated)) {
    return false;
  }
  uint64_t count = chunkCountOf(grid);
  // Each stored chunk takes at least a byte of the file.
  if (count == 0 || count > fileSize) return false;
  uint64_t chunkBytes = chunkBytesOf(grid);
  list.chunks.assign(static_cast<size_t>(count), StoredChunk());
  std::vector<unsigned char> scratch;
  hsize_t origin[H5S_MAX_RANK] = {};
  for (StoredChunk &stored : list.chunks) {
    if (!locateChunk(dataset, origin, chunkBytes, fileSize, scratch, stored)) return false;
    stored.deflated = deflated && stored.deflated;
    nextChunk(grid.rank, grid.dims, grid.chunk, origin);
  }
  return isSoundChunkList(list, datasetBytes, fileSize);
}

}  // namespace mat_v73
