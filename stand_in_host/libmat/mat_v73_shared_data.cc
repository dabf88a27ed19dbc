#include "mat_v73_shared_data.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "mx_array.h"

namespace mat_v73 {

namespace {

constexpr size_t kPage = 4096;
// Smaller blocks are cheaper to copy than to map.
constexpr size_t kSharedBlockMin = size_t(1) << 20;

struct SharedBlock {
  const void *data;
  SharedRegion region;
};

struct Sharing {
  bool active = false;
  int file = -1;
  uint64_t used = 0;
  std::vector<SharedBlock> blocks;
};

Sharing sharing;

void *allocatePageAligned(size_t bytes) {
  void *data = nullptr;
  if (posix_memalign(&data, kPage, bytes) != 0) throw std::bad_alloc();
  return data;
}

bool mapInPlace(void *data, int file, const SharedRegion &region, int extraFlags) {
  void *mapped = mmap(data, region.wholeBytes, PROT_READ | PROT_WRITE,
                      MAP_SHARED | MAP_FIXED | extraFlags, file, static_cast<off_t>(region.offset));
  return mapped != MAP_FAILED;
}

// Gives the block's whole pages a region of the memory file; false leaves
// the block private.
bool shareBlock(void *data, size_t bytes) {
  if (sharing.file < 0) sharing.file = memfd_create("mat_v73_data", MFD_CLOEXEC);
  SharedRegion region{sharing.used, bytes & ~(kPage - 1)};
  if (sharing.file < 0 ||
      ftruncate(sharing.file, static_cast<off_t>(region.offset + region.wholeBytes)) != 0 ||
      !mapInPlace(data, sharing.file, region, MAP_POPULATE)) {
    return false;
  }
  sharing.used += region.wholeBytes;
  sharing.blocks.push_back({data, region});
  return true;
}

}  // namespace

void *allocateArrayData(size_t bytes) {
  if (!sharing.active || bytes < kSharedBlockMin) return standin::allocateData(bytes);
  void *data = allocatePageAligned(bytes);
  try {
    shareBlock(data, bytes);
  } catch (const std::bad_alloc &) {
    std::free(data);
    throw;
  }
  return data;
}

void beginSharing() {
  endSharing();
  sharing.active = true;
}

bool findSharedRegion(const void *data, SharedRegion &region) {
  for (const SharedBlock &block : sharing.blocks) {
    if (block.data == data) {
      region = block.region;
      return true;
    }
  }
  return false;
}

int sharedFile() { return sharing.file; }

void endSharing() {
  if (sharing.file >= 0) close(sharing.file);
  sharing = Sharing();
}

void *adoptSharedBlock(int memoryFile, const SharedRegion &region, size_t bytes) {
  void *data = allocatePageAligned(bytes);
  if (!mapInPlace(data, memoryFile, region, 0) &&
      pread(memoryFile, data, region.wholeBytes, static_cast<off_t>(region.offset)) !=
          static_cast<ssize_t>(region.wholeBytes)) {
    std::free(data);
    return nullptr;
  }
  return data;
}

}  // namespace mat_v73
