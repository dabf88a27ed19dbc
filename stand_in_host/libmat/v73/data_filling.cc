#include "v73/data_filling.h"

#include <algorithm>
#include <vector>

#include "common/checked_arithmetic.h"
#include "common/inflater.h"
#include "v73/chunk_placement.h"

namespace mat_v73 {

namespace {

constexpr size_t kWindow = size_t(4) << 20;  // stored bytes converted at a time

bool fillFromExtent(const DataSource &source, uint64_t bytes, const FileBytes &file,
                    const ElementStore &store) {
  if (!file.holds(source.offset, bytes)) return false;
  if (store.directBlock() != nullptr) {
    return file.readDirect(source.offset, store.directBlock(), static_cast<size_t>(bytes));
  }
  size_t perWindow = std::max<size_t>(1, kWindow / source.elementSize);
  std::vector<unsigned char> window;
  for (uint64_t first = 0; first < source.elements; first += perWindow) {
    size_t count = static_cast<size_t>(std::min<uint64_t>(perWindow, source.elements - first));
    window.resize(count * source.elementSize);
    if (!file.readDirect(source.offset + first * source.elementSize, window.data(),
                         window.size())) {
      return false;
    }
    store.store(first, window.data(), count);
  }
  return true;
}

// A streamed source comes in the form of its one block.
bool fillFromStream(const DataSource &source, uint64_t bytes, const FileBytes &file,
                    const ElementStore &store, PlanSource &streams) {
  // Its bytes come from libhdf5's reading of the file: no more than the
  // file can hold, inflated.
  if (store.directBlock() == nullptr || bytes / kMaxInflation > file.size() + kInflationSlack) {
    return false;
  }
  return streams.stream(source.offset, store.directBlock(), bytes);
}

}  // namespace

bool fillFromSource(const DataSource &source, ArrayBlocks &blocks, const FileBytes &file,
                    PlanSource &streams) {
  ElementStore store(source, blocks);
  uint64_t bytes = 0;
  if (!store.valid() || !checked::multiply(source.elements, source.elementSize, bytes) ||
      bytes > SIZE_MAX) {
    return false;
  }
  switch (source.kind) {
    case SourceKind::Extent: return fillFromExtent(source, bytes, file, store);
    case SourceKind::Chunks:
      return source.chunks.grid.elementSize == source.elementSize &&
             isSoundChunkList(source.chunks, bytes, file.size()) &&
             placeChunks(source.chunks, file, store);
    case SourceKind::Inline:
      if (source.bytes.size() != bytes) return false;
      store.store(0, reinterpret_cast<const unsigned char *>(source.bytes.data()),
                  static_cast<size_t>(source.elements));
      return true;
    case SourceKind::Streamed: return fillFromStream(source, bytes, file, store, streams);
  }
  return false;
}

}  // namespace mat_v73
