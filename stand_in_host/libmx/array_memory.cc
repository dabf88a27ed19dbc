// Allocation of array data: exact sizes, so that a read beyond the data is
// caught by the address sanitizer, and huge pages for large blocks, so that
// filling a fresh array is not slowed by a page fault every 4 KiB.
#include <cstdint>
#include <cstdlib>
#include <new>

#include "mx_array.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace standin {

namespace {
constexpr size_t kHugePage = size_t(2) << 20;
}

void *allocateData(size_t bytes) {
  if (bytes == 0) return nullptr;
  void *data = nullptr;
#if defined(__linux__)
  if (bytes >= 4 * kHugePage) {
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
  if (bytes >= 4 * kHugePage) {
    uintptr_t start = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
    if (end > start) madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
  }
#endif
  return data;
}

void freeData(void *data) { std::free(data); }

}  // namespace standin
