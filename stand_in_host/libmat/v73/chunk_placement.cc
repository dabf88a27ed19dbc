#include "v73/chunk_placement.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "common/inflated_range.h"
#include "common/text_format.h"

namespace mat_v73 {

namespace {

constexpr size_t kWindow = size_t(4) << 20;      // chunk bytes scattered at a time
constexpr uint64_t kChunksPerRun = 16;           // consecutive chunks a thread claims at once

// The bytes of one stored chunk, in order: read from the file as they are,
// or inflated on the way.
class ChunkBytes {
 public:
  ChunkBytes(const FileBytes &file, const StoredChunk &stored, InflateWorkspace &workspace)
      : file_(file), stored_(stored), next_(stored.offset) {
    if (stored.deflated) {
      inflated_.reset(new InflatedRange(file, stored.offset, stored.bytes, &workspace));
    }
  }

  // Exactly `length` bytes into `out`.
  bool read(unsigned char *out, size_t length) {
    if (inflated_) return inflated_->read(out, length);
    if (length > stored_.offset + stored_.bytes - next_ || !file_.readDirect(next_, out, length)) {
      return false;
    }
    next_ += length;
    return true;
  }

  // Passes over `length` bytes.
  bool skip(uint64_t length) {
    if (inflated_) return inflated_->skip(length);
    if (length > stored_.offset + stored_.bytes - next_) return false;
    next_ += length;
    return true;
  }

  // True if the chunk holds nothing more: every stored byte used, or the
  // deflate stream ending here with its checksum right.
  bool finish() { return inflated_ ? inflated_->ends() : next_ == stored_.offset + stored_.bytes; }

  // After a failure: why, and where in the file.
  void describeFailure(ChunkFault &fault) const {
    if (!inflated_) {
      fault.why = "the stored chunk cannot be read";
      fault.at = stored_.offset;
      return;
    }
    uint64_t used = inflated_->compressedBytesUsed();
    std::string why = inflated_->errorText();
    fault.at = stored_.offset + used;
    if (why == "incorrect data check") {
      fault.why = "Adler-32 mismatch at the end of its deflate stream";
    } else if (!why.empty()) {
      fault.why = formatText("deflate stream broken at compressed byte %llu (%s)", ull(used),
                             why.c_str());
    } else if (inflated_->failed()) {
      fault.why = formatText("deflate stream cut short after %llu of its %llu compressed bytes",
                             ull(used), ull(stored_.bytes));
    } else {
      fault.why = "its deflate stream does not inflate to exactly the chunk's size";
    }
  }

 private:
  const FileBytes &file_;
  StoredChunk stored_;
  uint64_t next_;
  std::unique_ptr<InflatedRange> inflated_;
};

// Where a chunk lies in the array: its rows run along the last (fastest)
// dimension; row r is the r-th combination of the other dimensions.
struct ChunkPlace {
  int last = 0;
  uint64_t origin[kMaxChunkRank] = {};
  uint64_t extent[kMaxChunkRank] = {};  // the part of the chunk inside the array
  uint64_t stride[kMaxChunkRank] = {};  // of the array, in elements
  uint64_t rowLength = 0;               // elements of a chunk row
  uint64_t rows = 1;                    // rows of a chunk
};

ChunkPlace placeOf(const ChunkGrid &grid, uint64_t n) {
  ChunkPlace place;
  place.last = grid.rank - 1;
  originOf(grid, n, place.origin);
  uint64_t stride = 1;
  for (int i = grid.rank - 1; i >= 0; --i) {
    place.extent[i] = std::min(grid.chunk[i], grid.dims[i] - place.origin[i]);
    place.stride[i] = stride;
    stride *= grid.dims[i];
  }
  place.rowLength = grid.chunk[place.last];
  for (int i = 0; i < place.last; ++i) place.rows *= grid.chunk[i];
  return place;
}

// Array index of the start of chunk row `index` (its multi-index over the
// dimensions before the last, fastest last), or false if that row lies
// outside the array.
bool rowStart(const ChunkPlace &place, const ChunkGrid &grid, uint64_t row, uint64_t &start) {
  start = place.origin[place.last];
  for (int i = place.last - 1; i >= 0; --i) {
    uint64_t index = row % grid.chunk[i];
    row /= grid.chunk[i];
    if (index >= place.extent[i]) return false;
    start += (place.origin[i] + index) * place.stride[i];
  }
  return true;
}

// Stores elements [column, column + count) of chunk row `row`, whose bytes
// are at `data`, where they lie in the array.
void storeRowPart(const ChunkPlace &place, const ChunkGrid &grid, const ElementStore &store,
                  uint64_t row, uint64_t column, uint64_t count, const unsigned char *data) {
  uint64_t start = 0;
  if (column >= place.extent[place.last] || !rowStart(place, grid, row, start)) return;
  count = std::min(count, place.extent[place.last] - column);
  store.store(start + column, data, static_cast<size_t>(count));
}

// The chunk's rows in order, each with where it starts in the array: the
// multi-index over the dimensions before the last steps like an odometer,
// so that walking many short rows costs no division.
class RowWalk {
 public:
  RowWalk(const ChunkPlace &place, const ChunkGrid &grid, uint64_t row)
      : place_(place), grid_(grid) {
    start_ = place.origin[place.last];
    for (int i = place.last - 1; i >= 0; --i) {
      index_[i] = row % grid.chunk[i];
      row /= grid.chunk[i];
      start_ += (place.origin[i] + index_[i]) * place.stride[i];
      if (index_[i] >= place.extent[i]) ++outside_;
    }
  }

  // True if the current row lies inside the array; `start` is then the
  // array index of its first element.
  bool inside() const { return outside_ == 0; }
  uint64_t start() const { return start_; }

  void next() {
    for (int i = place_.last - 1; i >= 0; --i) {
      if (index_[i] >= place_.extent[i]) --outside_;
      if (++index_[i] < grid_.chunk[i]) {
        start_ += place_.stride[i];
        if (index_[i] >= place_.extent[i]) ++outside_;
        return;
      }
      start_ -= (index_[i] - 1) * place_.stride[i];
      index_[i] = 0;
    }
  }

 private:
  const ChunkPlace &place_;
  const ChunkGrid &grid_;
  uint64_t index_[kMaxChunkRank] = {};
  uint64_t start_ = 0;
  int outside_ = 0;  // how many indices lie beyond the array
};

// Stores `rows` whole chunk rows from `data`, the first being row `first`.
// Rows of one element each are common (a column of a matrix chunked by
// columns), so a direct store copies them here, without a call per row.
void storeRows(const ChunkPlace &place, const ChunkGrid &grid, const ElementStore &store,
               uint64_t first, uint64_t rows, const unsigned char *data) {
  size_t size = store.elementSize();
  size_t rowBytes = static_cast<size_t>(place.rowLength) * size;
  uint64_t count = std::min(place.rowLength, place.extent[place.last]);
  unsigned char *direct = store.directBlock();
  RowWalk walk(place, grid, first);
  for (uint64_t r = 0; r < rows; ++r, walk.next(), data += rowBytes) {
    if (!walk.inside() || count == 0) continue;
    if (direct == nullptr) {
      store.store(walk.start(), data, static_cast<size_t>(count));
    } else if (count == 1 && size == 8) {
      std::memcpy(direct + walk.start() * 8, data, 8);
    } else {
      std::memcpy(direct + walk.start() * size, data, static_cast<size_t>(count) * size);
    }
  }
}

// A thread's inflater and buffers, reused from chunk to chunk.
struct Worker {
  Worker() { workspace.fileShared = true; }
  InflateWorkspace workspace;
  std::vector<unsigned char> window;
};

bool placeChunkBytes(const ChunkList &list, uint64_t n, const ElementStore &store, Worker &worker,
                     ChunkBytes &bytes) {
  const ChunkGrid &grid = list.grid;
  ChunkPlace place = placeOf(grid, n);
  size_t size = store.elementSize();
  uint64_t chunkBytes = chunkBytesOf(grid);

  // Rows that span the array's whole width, one after another: the chunk's
  // part inside the array is one contiguous run of it.
  bool contiguous = true;
  for (int i = 1; i < grid.rank; ++i) contiguous = contiguous && grid.chunk[i] == grid.dims[i];
  if (contiguous && store.directBlock() != nullptr) {
    uint64_t inside = place.extent[0] * (chunkBytes / grid.chunk[0]);
    unsigned char *into = store.directBlock() + place.origin[0] * place.stride[0] * size;
    return bytes.read(into, static_cast<size_t>(inside)) &&
           bytes.skip(chunkBytes - inside) && bytes.finish();
  }

  uint64_t rowBytes = place.rowLength * size;
  if (rowBytes <= kWindow) {
    uint64_t rowsPerWindow = kWindow / rowBytes;
    for (uint64_t first = 0; first < place.rows; first += rowsPerWindow) {
      uint64_t rows = std::min(rowsPerWindow, place.rows - first);
      worker.window.resize(static_cast<size_t>(rows * rowBytes));
      if (!bytes.read(worker.window.data(), worker.window.size())) return false;
      storeRows(place, grid, store, first, rows, worker.window.data());
    }
  } else {
    uint64_t perWindow = kWindow / size;
    worker.window.resize(static_cast<size_t>(perWindow * size));
    for (uint64_t row = 0; row < place.rows; ++row) {
      for (uint64_t column = 0; column < place.rowLength; column += perWindow) {
        uint64_t count = std::min(perWindow, place.rowLength - column);
        if (!bytes.read(worker.window.data(), static_cast<size_t>(count * size))) return false;
        storeRowPart(place, grid, store, row, column, count, worker.window.data());
      }
    }
  }
  return bytes.finish();
}

bool placeChunk(const ChunkList &list, uint64_t n, const FileBytes &file,
                const ElementStore &store, Worker &worker, ChunkFault &fault) {
  ChunkBytes bytes(file, list.chunks[n], worker.workspace);
  if (placeChunkBytes(list, n, store, worker, bytes)) return true;
  fault.chunk = n;
  bytes.describeFailure(fault);
  return false;
}

}  // namespace

bool placeChunks(const ChunkList &list, const FileBytes &file, const ElementStore &store,
                 ChunkFault *fault) {
  const uint64_t total = list.chunks.size();
  // Threads claim runs of consecutive chunks: neighbouring chunks of a
  // dataset whose chunks are narrow share the array's cache lines, which
  // two threads taking every other chunk would pass back and forth.
  std::atomic<uint64_t> nextRun{0};
  // The lowest chunk found damaged so far (total while none is): a thread
  // gives up a run once it lies beyond it, and every run below it is
  // placed, so the lowest damaged chunk is the one reported.
  std::atomic<uint64_t> lowestFailure{total};
  std::atomic<bool> outOfMemory{false};
  ChunkFault faults[2];
  uint64_t failedAt[2] = {total, total};
  auto placeRuns = [&](int self) {
    try {
      Worker worker;
      for (;;) {
        uint64_t first = nextRun.fetch_add(kChunksPerRun);
        uint64_t end = std::min(total, first + kChunksPerRun);
        for (uint64_t n = first; n < end; ++n) {
          if (n >= lowestFailure || outOfMemory) return;
          if (!placeChunk(list, n, file, store, worker, faults[self])) {
            failedAt[self] = n;
            uint64_t lowest = lowestFailure;
            while (n < lowest && !lowestFailure.compare_exchange_weak(lowest, n)) {
            }
            return;
          }
        }
        if (end == total) return;
      }
    } catch (const std::bad_alloc &) {
      outOfMemory = true;
    }
  };
  // Two threads; an examination, which keeps nothing, goes in order on
  // one, which stops at the first damaged chunk.
  std::thread helper;
  bool threaded = total >= 2 && !store.discards();
  if (threaded) {
    try {
      helper = std::thread(placeRuns, 1);
    } catch (const std::system_error &) {
      threaded = false;
    }
  }
  placeRuns(0);
  if (threaded) helper.join();
  bool placed = lowestFailure == total && !outOfMemory;
  if (!placed && fault != nullptr) {
    for (int self = 0; self < 2; ++self) {
      if (failedAt[self] == lowestFailure && failedAt[self] != total) *fault = faults[self];
    }
  }
  return placed;
}

}  // namespace mat_v73
