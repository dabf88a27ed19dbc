#include "mat_v73_chunk_list.h"

#include <sys/stat.h>

#include "mat_v73_id.h"

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

bool describeGrid(hid_t dataset, hid_t memoryType, ChunkGrid &grid, bool &deflated) {
  Id creation(H5Dget_create_plist(dataset));
  Id type(H5Dget_type(dataset));
  Id space(H5Dget_space(dataset));
  if (!creation.valid() || !type.valid() || !space.valid() ||
      H5Pget_layout(creation.get()) != H5D_CHUNKED || H5Tequal(type.get(), memoryType) <= 0 ||
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
  grid.elementSize = H5Tget_size(memoryType);
  return true;
}

// Where HDF5 addresses count from: chunk addresses are relative to it.
bool baseAddress(hid_t dataset, uint64_t &base) {
  Id file(H5Iget_file_id(dataset));
  Id creation(file.valid() ? H5Fget_create_plist(file.get()) : H5I_INVALID_HID);
  hsize_t userBlock = 0;
  if (!creation.valid() || H5Pget_userblock(creation.get(), &userBlock) < 0) return false;
  base = userBlock;
  return true;
}

// The descriptor libhdf5 reads the file through (its default driver's).
bool fileDescriptor(hid_t dataset, int &descriptor, uint64_t &size) {
  Id file(H5Iget_file_id(dataset));
  Id access(file.valid() ? H5Fget_access_plist(file.get()) : H5I_INVALID_HID);
  void *handle = nullptr;
  struct stat status;
  if (!access.valid() || H5Pget_driver(access.get()) != H5FD_SEC2 ||
      H5Fget_vfd_handle(file.get(), access.get(), &handle) < 0 || handle == nullptr ||
      fstat(*static_cast<int *>(handle), &status) != 0) {
    return false;
  }
  descriptor = *static_cast<int *>(handle);
  size = static_cast<uint64_t>(status.st_size);
  return true;
}

// Lists the chunks, for a file of `fileSize` bytes.
bool listStoredChunks(hid_t dataset, hid_t memoryType, uint64_t bufferBytes, uint64_t fileSize,
                      ChunkList &list) {
  bool deflated = false;
  uint64_t base = 0;
  ChunkGrid &grid = list.grid;
  if (!describeGrid(dataset, memoryType, grid, deflated) || !baseAddress(dataset, base)) {
    return false;
  }
  uint64_t count = chunkCountOf(grid);
  // Each stored chunk takes at least a byte of the file.
  if (count == 0 || count > fileSize) return false;
  list.chunks.assign(static_cast<size_t>(count), StoredChunk());
  hsize_t origin[H5S_MAX_RANK] = {};
  for (StoredChunk &stored : list.chunks) {
    unsigned skipped = 0;
    haddr_t address = HADDR_UNDEF;
    hsize_t bytes = 0;
    if (H5Dget_chunk_info_by_coord(dataset, origin, &skipped, &address, &bytes) < 0 ||
        address == HADDR_UNDEF || address > UINT64_MAX - base) {
      return false;  // a chunk never written reads as the fill value: libhdf5's work
    }
    stored = {address + base, bytes, deflated && (skipped & 1) == 0};
    int i = grid.rank - 1;
    while (i >= 0 && (origin[i] += grid.chunk[i]) >= grid.dims[i]) origin[i--] = 0;
  }
  return isSoundChunkList(list, bufferBytes, fileSize);
}

}  // namespace

bool listChunks(hid_t dataset, hid_t memoryType, uint64_t bufferBytes, ChunkList &list) {
  int descriptor = -1;
  uint64_t fileSize = 0;
  return fileDescriptor(dataset, descriptor, fileSize) &&
         listStoredChunks(dataset, memoryType, bufferBytes, fileSize, list);
}

bool readByChunks(hid_t dataset, hid_t memoryType, uint64_t bufferBytes, void *buffer) {
  int descriptor = -1;
  uint64_t fileSize = 0;
  ChunkList list;
  return fileDescriptor(dataset, descriptor, fileSize) &&
         listStoredChunks(dataset, memoryType, bufferBytes, fileSize, list) &&
         placeChunks(descriptor, list, buffer);
}

}  // namespace mat_v73
