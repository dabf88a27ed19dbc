#include "v73/shared_data.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "v73/chunk_list.h"
#include "v73/hdf5_id.h"
#include "mx_array.h"

namespace mat_v73 {

namespace {

constexpr size_t kPage = 4096;
constexpr size_t kHugePage = size_t(2) << 20;
// Smaller blocks are cheaper to copy than to map.
constexpr size_t kLargeBlock = size_t(1) << 20;

struct Block {
  void *data;
  size_t bytes;
  BlockDelivery delivery;
  std::unique_ptr<ChunkList> chunks;  // what delivery.chunks points to
};

struct Sharing {
  bool active = false;
  int file = -1;
  uint64_t used = 0;
  std::vector<Block> blocks;
};

Sharing sharing;

// Page-aligned, and for large blocks aligned to and offered huge pages as
// libmx does, so that a block left untouched costs nothing and one filled
// privately is filled as fast.
void *allocateAligned(size_t bytes) {
  size_t alignment = bytes >= 4 * kHugePage ? kHugePage : kPage;
  void *data = nullptr;
  if (posix_memalign(&data, alignment, bytes) != 0) throw std::bad_alloc();
  if (alignment == kHugePage) madvise(data, bytes & ~(kHugePage - 1), MADV_HUGEPAGE);
  return data;
}

Block *findBlock(const void *data) {
  for (Block &block : sharing.blocks) {
    if (block.data == data) return &block;
  }
  return nullptr;
}

bool mapInPlace(void *data, int file, uint64_t offset, size_t bytes, int extraFlags) {
  void *mapped = mmap(data, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED | extraFlags,
                      file, static_cast<off_t>(offset));
  return mapped != MAP_FAILED;
}

// Gives the block's whole pages a region of the memory file; a block that
// cannot have one stays private and goes inline.
void sharePages(Block &block) {
  if (sharing.file < 0) sharing.file = memfd_create("mat_v73_data", MFD_CLOEXEC);
  size_t whole = block.bytes & ~(kPage - 1);
  if (sharing.file < 0 ||
      ftruncate(sharing.file, static_cast<off_t>(sharing.used + whole)) != 0 ||
      !mapInPlace(block.data, sharing.file, sharing.used, whole, MAP_POPULATE)) {
    return;
  }
  block.delivery = {Delivery::SharedPages, sharing.used, whole, nullptr};
  sharing.used += whole;
}

// The file offset of the dataset's data if it lies there exactly as
// `memoryType` lays it out in memory.
bool liesInFileAsInMemory(hid_t dataset, hid_t memoryType, size_t bytes, haddr_t &offset) {
  Id creation(H5Dget_create_plist(dataset));
  Id type(H5Dget_type(dataset));
  if (!creation.valid() || !type.valid() || H5Pget_layout(creation.get()) != H5D_CONTIGUOUS ||
      H5Tequal(type.get(), memoryType) <= 0 || H5Dget_storage_size(dataset) != bytes) {
    return false;
  }
  offset = H5Dget_offset(dataset);
  return offset != HADDR_UNDEF;
}

}  // namespace

void *allocateArrayData(size_t bytes) {
  if (!sharing.active || bytes < kLargeBlock) return standin::allocateData(bytes);
  void *data = allocateAligned(bytes);
  try {
    sharing.blocks.push_back({data, bytes, BlockDelivery(), nullptr});
  } catch (const std::bad_alloc &) {
    std::free(data);
    throw;
  }
  return data;
}

bool leaveForReceiver(hid_t dataset, hid_t memoryType, void *buffer) {
  Block *block = sharing.active ? findBlock(buffer) : nullptr;
  if (block == nullptr || block->delivery.how != Delivery::Inline) return false;
  haddr_t offset = 0;
  if (liesInFileAsInMemory(dataset, memoryType, block->bytes, offset)) {
    block->delivery = {Delivery::FromFile, offset, 0, nullptr};
    return true;
  }
  std::unique_ptr<ChunkList> chunks(new ChunkList);
  if (listChunks(dataset, memoryType, block->bytes, *chunks)) {
    block->chunks = std::move(chunks);
    block->delivery = {Delivery::FromChunks, 0, 0, block->chunks.get()};
    return true;
  }
  sharePages(*block);
  return false;
}

void beginSharing() {
  endSharing();
  sharing.active = true;
}

BlockDelivery deliveryOf(const void *data) {
  const Block *block = findBlock(data);
  return block != nullptr ? block->delivery : BlockDelivery();
}

int sharedFile() { return sharing.file; }

void endSharing() {
  if (sharing.file >= 0) close(sharing.file);
  sharing = Sharing();
}

void *adoptSharedPages(int memoryFile, const BlockDelivery &delivery, size_t bytes) {
  void *data = allocateAligned(bytes);
  if (!mapInPlace(data, memoryFile, delivery.offset, delivery.wholeBytes, 0) &&
      pread(memoryFile, data, delivery.wholeBytes, static_cast<off_t>(delivery.offset)) !=
          static_cast<ssize_t>(delivery.wholeBytes)) {
    std::free(data);
    return nullptr;
  }
  return data;
}

void *readFromChunks(int dataFile, const ChunkList &chunks, size_t bytes) {
  struct stat status;
  if (fstat(dataFile, &status) != 0 ||
      !isSoundChunkList(chunks, bytes, static_cast<uint64_t>(status.st_size))) {
    return nullptr;
  }
  void *data = standin::allocateData(bytes);
  if (!placeChunks(dataFile, chunks, data)) {
    standin::freeData(data);
    return nullptr;
  }
  return data;
}

void *readFromFile(int dataFile, const BlockDelivery &delivery, size_t bytes) {
  void *data = standin::allocateData(bytes);
  size_t done = 0;
  while (done < bytes) {
    ssize_t n = pread(dataFile, static_cast<char *>(data) + done, bytes - done,
                      static_cast<off_t>(delivery.offset + done));
    if (n <= 0) {
      standin::freeData(data);
      return nullptr;
    }
    done += static_cast<size_t>(n);
  }
  return data;
}

}  // namespace mat_v73
