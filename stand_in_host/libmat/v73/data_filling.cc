#include "v73/data_filling.h"

#include <algorithm>
#include <vector>

#include "common/checked_arithmetic.h"
#include "common/inflater.h"
#include "common/text_format.h"
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
                    const ElementStore &store, PlanSource &streams, DataFault *examined) {
  // Its bytes come from libhdf5's reading of the file: no more than the
  // file can hold, inflated.
  if (bytes / kMaxInflation > file.size() + kInflationSlack) return false;
  bool streamed = store.discards() ? streams.streamPieces(source.offset, bytes,
                                                          [](const void *, size_t) { return true; })
                                   : store.directBlock() != nullptr &&
                                         streams.stream(source.offset, store.directBlock(), bytes);
  if (!streamed && examined != nullptr) {
    examined->why = "libhdf5 cannot read the data (in a form it converts)";
  }
  return streamed;
}

bool fillFromChunks(const DataSource &source, uint64_t bytes, const FileBytes &file,
                    const ElementStore &store, DataFault *examined) {
  if (source.chunks.grid.elementSize != source.elementSize ||
      !isSoundChunkList(source.chunks, bytes, file.size())) {
    if (examined != nullptr) examined->why = "its chunks do not fit the dataset or the file";
    return false;
  }
  ChunkFault fault;
  if (placeChunks(source.chunks, file, store, &fault)) return true;
  if (examined != nullptr) {
    examined->why = formatText("chunk %llu of %llu: %s", ull(fault.chunk),
                               ull(source.chunks.chunks.size()), fault.why.c_str());
    examined->placed = true;
    examined->at = fault.at;
  }
  return false;
}

}  // namespace

bool fillFromSource(const DataSource &source, ArrayBlocks &blocks, const FileBytes &file,
                    PlanSource &streams, DataFault *examined, bool discard) {
  ElementStore store(source, blocks, discard);
  uint64_t bytes = 0;
  if (!store.valid() || !checked::multiply(source.elements, source.elementSize, bytes) ||
      bytes > SIZE_MAX) {
    return false;
  }
  switch (source.kind) {
    case SourceKind::Extent:
      if (discard) {
        // Stored numbers as they lie: any bytes are numbers, so the file
        // holding them is all there is to check.
        if (file.holds(source.offset, bytes)) return true;
        if (examined != nullptr) examined->why = "its data lies beyond the end of the file";
        return false;
      }
      return fillFromExtent(source, bytes, file, store);
    case SourceKind::Chunks: return fillFromChunks(source, bytes, file, store, examined);
    case SourceKind::Inline:
      if (source.bytes.size() != bytes) return false;
      store.store(0, reinterpret_cast<const unsigned char *>(source.bytes.data()),
                  static_cast<size_t>(source.elements));
      return true;
    case SourceKind::Streamed: return fillFromStream(source, bytes, file, store, streams, examined);
  }
  return false;
}

}  // namespace mat_v73
