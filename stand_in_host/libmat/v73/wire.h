// What the version 7.3 reader process and the process it reads for say to
// each other over a stream socket: requests, answers and whole arrays. An
// array goes as its description (class, dimensions, flags, names, children)
// with its data as mat_v73_shared_data.h delivers it.
#ifndef STAND_IN_HOST_LIBMAT_V73_WIRE_H
#define STAND_IN_HOST_LIBMAT_V73_WIRE_H

#include <cstddef>
#include <chrono>
#include <cstdint>
#include <string>

#include "v73/chunk_reading.h"
#include "mx_array.h"

namespace mat_v73 {

// Builds a message; sent whole.
struct Message {
  std::string bytes;
  void putNumber(uint64_t value);
  void putText(const std::string &text);
  // The array and everything in it.
  void putArray(const mxArray &array);
};

// Where delivered data blocks are read from: the memory file sent with the
// answer (or -1) and the MAT-file.
struct DataSources {
  int memoryFile = -1;
  int dataFile = -1;
};

// Reads messages from a socket. Every failure (the other side gone, a
// description that does not hold together) makes the reads after it fail.
class Receiver {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  // Reads from `socket`; a read still waiting at `deadline` fails.
  Receiver(int socket, Deadline deadline) : socket_(socket), deadline_(deadline) {}

  // The first byte of an answer, and the memory file sent with it (or -1).
  bool getStatus(uint8_t &status, int &memoryFile);
  bool getNumber(uint64_t &value);
  bool getText(std::string &text);
  // A new array owned by the caller; null on failure.
  mxArray *getArray(const DataSources &sources);

 private:
  // Waits until the socket has something to read; false at the deadline.
  bool waitForInput() const;
  bool getBytes(void *destination, size_t length);
  bool getData(const DataSources &sources, size_t bytes, void *&data);
  bool getChunkList(ChunkList &list, size_t bytes);
  // Reads and inflates the listed chunks from the MAT-file.
  bool getChunkedData(int dataFile, size_t bytes, void *&data);
  bool getArrayInto(mxArray &array, const DataSources &sources, unsigned depth);

  int socket_;
  Deadline deadline_;
  std::string buffer_;
  size_t position_ = 0;
};

// Sends the whole message, with `memoryFile` attached when it is not -1.
bool sendMessage(int socket, const Message &message, int memoryFile = -1);

}  // namespace mat_v73

#endif
