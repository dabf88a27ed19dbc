// Allocation of array data: exact sizes, so that a read beyond the data is
// caught by the address sanitizer, and huge pages for large blocks, so that
// filling a fresh array is not slowed by a page fault every 4 KiB.
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

void freeData(void *data) { std::free(data); }

}  // namespace standin
