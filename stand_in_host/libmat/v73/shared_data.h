// How the data of the arrays a reader process builds gets to the process it
// reads for, without a second copy:
// - a large block whose dataset lies in the file as it is needed in memory
//   (contiguous, unfiltered, of the memory type) is not read at all: the
//   receiving process reads it from the file itself, straight into its own
//   block;
// - a large block whose dataset is chunked, and compressed with deflate or
//   not at all, is not read either: the receiving process gets the list of
//   the stored chunks and reads and inflates them itself;
// - any other large block is filled, by libhdf5, in pages of a memory file
//   that both processes map. The block is an ordinary heap block
//   (posix_memalign) whose whole pages are then mapped from the memory file
//   in place, so that freeData releases it like any other block; the memory
//   file's pages go with the last mapping of them. The bytes after the last
//   whole page travel with the array's description;
// - small blocks travel with the description.
#ifndef STAND_IN_HOST_LIBMAT_V73_SHARED_DATA_H
#define STAND_IN_HOST_LIBMAT_V73_SHARED_DATA_H

#include <hdf5.h>

#include <cstddef>
#include <cstdint>

#include "v73/chunk_reading.h"

namespace mat_v73 {

// Allocates data for an array the version 7.3 reader builds. Throws
// std::bad_alloc when memory cannot be had.
void *allocateArrayData(size_t bytes);

// Called before `buffer` is filled from `dataset`: true if the receiving
// process will read the data from the file itself, so that it need not be
// read here. Otherwise a large buffer is given pages of the memory file.
bool leaveForReceiver(hid_t dataset, hid_t memoryType, void *buffer);

// How a block reaches the receiving process.
enum class Delivery { Inline, SharedPages, FromFile, FromChunks };

struct BlockDelivery {
  Delivery how = Delivery::Inline;
  uint64_t offset = 0;    // in the memory file, or in the MAT-file
  size_t wholeBytes = 0;  // shared pages: the bytes they hold
  const ChunkList *chunks = nullptr;  // from chunks: where they lie in the MAT-file
};

// In the reader process: blocks allocated from now on may be delivered other
// than inline (until endSharing).
void beginSharing();
// How the block starting at `data` is delivered.
BlockDelivery deliveryOf(const void *data);
// The memory file holding this read's shared pages; -1 if there is none.
int sharedFile();
// Forgets the blocks and closes the memory file (mapped pages stay valid).
void endSharing();

// In the receiving process: a new block of `bytes` bytes whose first
// `delivery.wholeBytes` bytes are the delivered pages of `memoryFile`. The
// rest is left for the caller to fill. Freed with standin::freeData.
void *adoptSharedPages(int memoryFile, const BlockDelivery &delivery, size_t bytes);
// A new block of `bytes` bytes read from `dataFile` at `delivery.offset`.
void *readFromFile(int dataFile, const BlockDelivery &delivery, size_t bytes);
// A new block of `bytes` bytes read from the listed chunks of `dataFile`;
// null if the list does not fit the block and the file or a chunk is damaged.
void *readFromChunks(int dataFile, const ChunkList &chunks, size_t bytes);

}  // namespace mat_v73

#endif
