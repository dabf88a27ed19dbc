// Allocation of array data: exact sizes, so that a read beyond the data is
// caught by the address sanitizer, and huge pages for large blocks, so that
// filling a fresh array is not slowed by a page fault every 4 KiB.
#include <cstdint>
#include <cstdlib>
#include <new>

#include "mx_array.h"

#if defined(__linux__)
#include <pthread.h>
#include <sys/mman.h>

#include <unordered_map>
#endif

// Outside the sanitizer build, the block of the last large array freed is
// kept and handed to the next large allocation that fits: a program that
// frees each array before it reads the next (as a MAT-file report does)
// then has the kernel clear the pages of its largest array once, not those
// of every array. The kept block is never larger than the largest array
// freed, so peak memory does not grow. The sanitizer build allocates every
// block anew, at its exact size.
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#define STANDIN_REUSE_LARGE_BLOCKS 1
#endif

namespace standin {

namespace {
constexpr size_t kHugePage = size_t(2) << 20;
// Blocks from 4 MiB on are aligned to and offered huge pages: a pass over
// one then takes a page translation per 2 MiB instead of one per 4 KiB.
constexpr size_t kLargeBlock = 2 * kHugePage;

#if defined(STANDIN_REUSE_LARGE_BLOCKS)
struct LargeBlocks {
  pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
  std::unordered_map<void *, size_t> capacityOf;  // large blocks handed out
  void *spare = nullptr;
  size_t spareCapacity = 0;
};

LargeBlocks &largeBlocks() {
  static LargeBlocks *blocks = new LargeBlocks;  // lives as long as the process
  return *blocks;
}

void *allocateLargeBlock(size_t bytes) {
  LargeBlocks &blocks = largeBlocks();
  pthread_mutex_lock(&blocks.lock);
  void *data = nullptr;
  size_t capacity = bytes;
  if (blocks.spare != nullptr && blocks.spareCapacity >= bytes) {
    data = blocks.spare;
    capacity = blocks.spareCapacity;
  } else {
    std::free(blocks.spare);
    if (posix_memalign(&data, kHugePage, bytes) != 0) data = nullptr;
    if (data != nullptr) madvise(data, bytes & ~(kHugePage - 1), MADV_HUGEPAGE);
  }
  blocks.spare = nullptr;
  blocks.spareCapacity = 0;
  try {
    if (data != nullptr) blocks.capacityOf[data] = capacity;
  } catch (const std::bad_alloc &) {
    std::free(data);
    data = nullptr;
  }
  pthread_mutex_unlock(&blocks.lock);
  if (data == nullptr) throw std::bad_alloc();
  return data;
}

// Keeps a freed large block as the spare (the larger of it and the current
// one); true if the block was a large one.
bool keepLargeBlock(void *data) {
  LargeBlocks &blocks = largeBlocks();
  pthread_mutex_lock(&blocks.lock);
  auto found = blocks.capacityOf.find(data);
  bool large = found != blocks.capacityOf.end();
  if (large) {
    size_t capacity = found->second;
    blocks.capacityOf.erase(found);
    if (capacity >= blocks.spareCapacity) {
      std::free(blocks.spare);
      blocks.spare = data;
      blocks.spareCapacity = capacity;
    } else {
      std::free(data);
    }
  }
  pthread_mutex_unlock(&blocks.lock);
  return large;
}
#endif
}  // namespace

void *allocateData(size_t bytes) {
  if (bytes == 0) return nullptr;
  void *data = nullptr;
#if defined(STANDIN_REUSE_LARGE_BLOCKS)
  if (bytes >= kLargeBlock) return allocateLargeBlock(bytes);
#elif defined(__linux__)
  if (bytes >= kLargeBlock) {
    if (posix_memalign(&data, kHugePage, bytes) != 0) throw std::bad_alloc();
    madvise(data, bytes & ~(kHugePage - 1), MADV_HUGEPAGE);
    return data;
  }
#endif
  data = std::malloc(bytes);
  if (data == nullptr) throw std::bad_alloc();
  return data;
}

// Zeroed data through calloc, which takes fresh pages from the kernel
// (already zero) without writing them: a large new array then costs no pass
// of its own, only the first touch of its pages. The huge-page advice covers
// the whole 2 MiB pages inside the block, given before anything touches them.
void *allocateZeroedData(size_t bytes) {
  if (bytes == 0) return nullptr;
  void *data = std::calloc(1, bytes);
  if (data == nullptr) throw std::bad_alloc();
#if defined(__linux__)
  if (bytes >= kLargeBlock) {
    uintptr_t start = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
    if (end > start) madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
  }
#endif
  return data;
}

void freeData(void *data) {
  if (data == nullptr) return;
#if defined(STANDIN_REUSE_LARGE_BLOCKS)
  if (keepLargeBlock(data)) return;
#endif
  std::free(data);
}

}  // namespace standin
