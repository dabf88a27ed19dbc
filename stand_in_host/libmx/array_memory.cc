// Allocation of array data: exact sizes, so that a read beyond the data is
// caught by the address sanitizer, and huge pages for large blocks, so that
// filling a fresh array is not slowed by a page fault every 4 KiB.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "mx_array.h"

#if defined(__linux__)
#include <pthread.h>
#include <sys/mman.h>

#include <unordered_map>
#endif

// The block of the last large array freed is kept and handed to the next
// large allocation that fits: a program that frees each array before it
// reads the next (as a MAT-file report does) then has the kernel clear the
// pages of its largest array once, not those of every array. The kept block
// is never larger than the largest array freed, so peak memory does not
// grow. The sanitizer build runs the same code, with the kept block and the
// part of a reused block beyond its array's data poisoned by hand, so that
// a use after free and a read past the data are caught as they are for
// blocks of their own.
#if defined(__linux__)
#define STANDIN_REUSE_LARGE_BLOCKS 1
#endif

#if defined(__SANITIZE_ADDRESS__)
#define STANDIN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STANDIN_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(STANDIN_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#define STANDIN_POISON(address, bytes) ASAN_POISON_MEMORY_REGION(address, bytes)
#define STANDIN_UNPOISON(address, bytes) ASAN_UNPOISON_MEMORY_REGION(address, bytes)
#else
#define STANDIN_POISON(address, bytes) ((void)(address), (void)(bytes))
#define STANDIN_UNPOISON(address, bytes) ((void)(address), (void)(bytes))
#endif

namespace standin {

namespace {
constexpr size_t kHugePage = size_t(2) << 20;
// Blocks from 4 MiB on are aligned to and offered huge pages: a pass over
// one then takes a page translation per 2 MiB instead of one per 4 KiB.
constexpr size_t kLargeBlock = 2 * kHugePage;

#if defined(__linux__)
// Offers the whole 2 MiB pages inside a block to transparent huge pages,
// before anything touches them.
void adviseHugePages(void *data, size_t bytes) {
  uintptr_t start = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
  if (end > start) madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
}
#endif

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

void freeBlock(void *data, size_t capacity) {
  STANDIN_UNPOISON(data, capacity);
  std::free(data);
}

// A fresh large block: zeroed through calloc, which takes fresh pages from
// the kernel (already zero) without writing them, or left unwritten.
void *freshLargeBlock(size_t bytes, bool zeroed) {
  void *data = nullptr;
  if (zeroed) {
    data = std::calloc(1, bytes);
  } else if (posix_memalign(&data, kHugePage, bytes) != 0) {
    data = nullptr;
  }
  if (data != nullptr) adviseHugePages(data, bytes);
  return data;
}

void *allocateLargeBlock(size_t bytes, bool zeroed) {
  LargeBlocks &blocks = largeBlocks();
  pthread_mutex_lock(&blocks.lock);
  void *data = nullptr;
  size_t capacity = bytes;
  bool reused = blocks.spare != nullptr && blocks.spareCapacity >= bytes;
  if (reused) {
    data = blocks.spare;
    capacity = blocks.spareCapacity;
  } else {
    if (blocks.spare != nullptr) freeBlock(blocks.spare, blocks.spareCapacity);
    data = freshLargeBlock(bytes, zeroed);
  }
  blocks.spare = nullptr;
  blocks.spareCapacity = 0;
  try {
    if (data != nullptr) blocks.capacityOf[data] = capacity;
  } catch (const std::bad_alloc &) {
    freeBlock(data, capacity);
    data = nullptr;
  }
  pthread_mutex_unlock(&blocks.lock);
  if (data == nullptr) throw std::bad_alloc();
  if (reused) {
    // The kept block is poisoned whole; only the array's data becomes usable.
    STANDIN_UNPOISON(data, bytes);
    if (zeroed) std::memset(data, 0, bytes);  // it holds what the last array left
  }
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
      if (blocks.spare != nullptr) freeBlock(blocks.spare, blocks.spareCapacity);
      STANDIN_POISON(data, capacity);
      blocks.spare = data;
      blocks.spareCapacity = capacity;
    } else {
      freeBlock(data, capacity);
    }
  }
  pthread_mutex_unlock(&blocks.lock);
  return large;
}
#endif
}  // namespace

void *allocateData(size_t bytes) {
  if (bytes == 0) return nullptr;
#if defined(STANDIN_REUSE_LARGE_BLOCKS)
  if (bytes >= kLargeBlock) return allocateLargeBlock(bytes, false);
#endif
  void *data = std::malloc(bytes);
  if (data == nullptr) throw std::bad_alloc();
  return data;
}

// Zeroed data: calloc's fresh pages cost no pass of their own, only the
// first touch of each page; a reused large block is cleared.
void *allocateZeroedData(size_t bytes) {
  if (bytes == 0) return nullptr;
#if defined(STANDIN_REUSE_LARGE_BLOCKS)
  if (bytes >= kLargeBlock) return allocateLargeBlock(bytes, true);
#endif
  void *data = std::calloc(1, bytes);
  if (data == nullptr) throw std::bad_alloc();
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
