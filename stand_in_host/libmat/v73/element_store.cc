#include "v73/element_store.h"

#include <algorithm>
#include <cstring>

#include "common/byte_order.h"

namespace mat_v73 {

namespace {

// Values gathered, swapped and converted per step.
constexpr size_t kBatch = 2048;

bool isStoredNumberClass(ArrayClass cls) { return isNumericClass(cls); }

}  // namespace

ElementStore::ElementStore(const DataSource &source, ArrayBlocks &blocks, bool discards)
    : elementSize_(source.elementSize), discards_(discards) {
  bool seen[4] = {false, false, false, false};
  if (source.targets.empty() || source.elementSize == 0) return;
  for (const Target &target : source.targets) {
    size_t role = static_cast<size_t>(target.role);
    if (role > 3 || seen[role]) return;
    seen[role] = true;
    const Block &block = blocks.blocks[role];
    size_t numberSize = ::elementSize(target.number.cls);
    if (!isStoredNumberClass(target.number.cls) || target.number.offset > source.elementSize ||
        numberSize > source.elementSize - target.number.offset || block.count != source.elements ||
        (block.count > 0 && block.data == nullptr && !discards) ||
        ::elementSize(block.cls) == 0) {
      return;
    }
    destinations_.push_back({static_cast<unsigned char *>(block.data), block.cls,
                             ::elementSize(block.cls), target.number});
  }
  const Destination &first = destinations_.front();
  if (!discards && destinations_.size() == 1 && !first.number.swap && first.number.offset == 0 &&
      first.number.cls == standin::storageClass(first.cls) && first.size == source.elementSize) {
    direct_ = first.data;
  }
  valid_ = true;
}

void ElementStore::store(uint64_t first, const unsigned char *stored, size_t count) const {
  if (discards_) return;
  if (direct_ != nullptr) {
    std::memcpy(direct_ + first * elementSize_, stored, count * elementSize_);
    return;
  }
  alignas(8) unsigned char numbers[kBatch * 8];
  for (const Destination &d : destinations_) {
    size_t numberSize = ::elementSize(d.number.cls);
    for (size_t done = 0; done < count;) {
      size_t n = std::min(kBatch, count - done);
      const unsigned char *from = stored + done * elementSize_ + d.number.offset;
      for (size_t i = 0; i < n; ++i) {
        std::memcpy(numbers + i * numberSize, from + i * elementSize_, numberSize);
      }
      if (d.number.swap) byte_order::swapEach(numbers, n, numberSize);
      unsigned char *to = d.data + (first + done) * d.size;
      if (d.number.cls == standin::storageClass(d.cls)) {
        std::memcpy(to, numbers, n * numberSize);
      } else {
        standin::convertValues(d.number.cls, numbers, d.cls, to, n);
      }
      done += n;
    }
  }
}

}  // namespace mat_v73
