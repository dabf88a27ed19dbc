#include "v73/wire.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "v73/shared_data.h"

namespace mat_v73 {

namespace {

enum BlockKind : uint8_t {
  NoBlock = 0,
  InlineBlock = 1,
  SharedBlock = 2,
  FileBlock = 3,
  ChunkedBlock = 4
};
enum Flags : uint8_t { Complex = 1, Global = 2, Sparse = 4, HasData = 8 };

// Nesting the reader refuses long before this; a deeper description is broken.
constexpr unsigned kMaxDepth = 1024;
constexpr size_t kReceiveChunk = size_t(64) << 10;

size_t valueBytes(const mxArray &array) {
  size_t count = array.isSparse ? array.nzmax : standin::numberOfElements(array);
  return count * elementSize(array.cls);
}

// The four data blocks of an array and their sizes.
struct Blocks {
  void **data[4];
  size_t bytes[4];
};

Blocks blocksOf(mxArray &array) {
  size_t columns = array.dims.size() > 1 ? array.dims[1] : 0;
  return {{&array.real, &array.imag, reinterpret_cast<void **>(&array.rowIndex),
           reinterpret_cast<void **>(&array.columnStart)},
          {valueBytes(array), valueBytes(array), array.nzmax * sizeof(size_t),
           (columns + 1) * sizeof(size_t)}};
}

void putChunkList(Message &message, const ChunkList &list) {
  const ChunkGrid &grid = list.grid;
  message.putNumber(static_cast<uint64_t>(grid.rank));
  for (int i = 0; i < grid.rank; ++i) {
    message.putNumber(grid.dims[i]);
    message.putNumber(grid.chunk[i]);
  }
  message.putNumber(grid.elementSize);
  message.putNumber(list.chunks.size());
  for (const StoredChunk &stored : list.chunks) {
    message.putNumber(stored.offset);
    message.putNumber(stored.bytes);
    message.putNumber(stored.deflated);
  }
}

void putBlock(Message &message, const void *data, size_t bytes) {
  if (data == nullptr) {
    message.putNumber(NoBlock);
    return;
  }
  BlockDelivery delivery = deliveryOf(data);
  switch (delivery.how) {
    case Delivery::Inline: message.putNumber(InlineBlock); break;
    case Delivery::SharedPages: message.putNumber(SharedBlock); break;
    case Delivery::FromFile: message.putNumber(FileBlock); break;
    case Delivery::FromChunks: message.putNumber(ChunkedBlock); break;
  }
  message.putNumber(bytes);
  if (delivery.how == Delivery::FromChunks) {
    putChunkList(message, *delivery.chunks);
    return;
  }
  if (delivery.how == Delivery::FromFile) {
    message.putNumber(delivery.offset);
    return;
  }
  if (delivery.how == Delivery::SharedPages) {
    message.putNumber(delivery.offset);
    message.putNumber(delivery.wholeBytes);
  }
  message.bytes.append(static_cast<const char *>(data) + delivery.wholeBytes,
                       bytes - delivery.wholeBytes);
}

}  // namespace

void Message::putNumber(uint64_t value) {
  bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
}

void Message::putText(const std::string &text) {
  putNumber(text.size());
  bytes.append(text);
}

void Message::putArray(const mxArray &array) {
  putNumber(static_cast<uint64_t>(array.cls));
  putNumber((array.isComplex ? Complex : 0) | (array.isGlobal ? Global : 0) |
            (array.isSparse ? Sparse : 0) | (array.hasData ? HasData : 0));
  putNumber(array.dims.size());
  for (size_t dim : array.dims) putNumber(dim);
  putNumber(array.nzmax);
  putText(array.name);
  putText(array.objectClassName);
  putNumber(array.fieldNames.size());
  for (const std::string &field : array.fieldNames) putText(field);
  Blocks blocks = blocksOf(const_cast<mxArray &>(array));
  for (int i = 0; i < 4; ++i) putBlock(*this, *blocks.data[i], blocks.bytes[i]);
  putNumber(array.children.size());
  for (const mxArray *child : array.children) putArray(*child);
}

bool sendMessage(int socket, const Message &message, int memoryFile) {
  const char *data = message.bytes.data();
  size_t left = message.bytes.size();
  if (memoryFile >= 0 && left > 0) {  // the descriptor rides on the first byte
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec first{const_cast<char *>(data), 1};
    msghdr header{};
    header.msg_iov = &first;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    cmsghdr *attached = CMSG_FIRSTHDR(&header);
    attached->cmsg_level = SOL_SOCKET;
    attached->cmsg_type = SCM_RIGHTS;
    attached->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(attached), &memoryFile, sizeof(int));
    if (sendmsg(socket, &header, MSG_NOSIGNAL) != 1) return false;
    ++data;
    --left;
  }
  while (left > 0) {
    ssize_t sent = send(socket, data, left, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    left -= static_cast<size_t>(sent);
  }
  return true;
}

bool Receiver::waitForInput() const {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd input{socket_, POLLIN, 0};
    int ready = poll(&input, 1, static_cast<int>(std::min<int64_t>(left.count(), INT32_MAX)));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

bool Receiver::getStatus(uint8_t &status, int &memoryFile) {
  memoryFile = -1;
  if (position_ < buffer_.size() || !waitForInput()) return false;  // answers start on a fresh read
  char control[CMSG_SPACE(sizeof(int))] = {};
  iovec first{&status, 1};
  msghdr header{};
  header.msg_iov = &first;
  header.msg_iovlen = 1;
  header.msg_control = control;
  header.msg_controllen = sizeof control;
  ssize_t received;
  do {
    received = recvmsg(socket_, &header, MSG_CMSG_CLOEXEC);
  } while (received < 0 && errno == EINTR);
  for (cmsghdr *c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
    if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
      std::memcpy(&memoryFile, CMSG_DATA(c), sizeof(int));
    }
  }
  return received == 1;
}

bool Receiver::getBytes(void *destination, size_t length) {
  char *out = static_cast<char *>(destination);
  while (length > 0) {
    if (position_ == buffer_.size()) {
      if (!waitForInput()) return false;
      buffer_.resize(kReceiveChunk);
      position_ = 0;
      ssize_t received;
      do {
        received = recv(socket_, &buffer_[0], kReceiveChunk, 0);
      } while (received < 0 && errno == EINTR);
      buffer_.resize(received > 0 ? static_cast<size_t>(received) : 0);
      if (received <= 0) return false;
    }
    size_t take = std::min(length, buffer_.size() - position_);
    std::memcpy(out, buffer_.data() + position_, take);
    position_ += take;
    out += take;
    length -= take;
  }
  return true;
}

bool Receiver::getNumber(uint64_t &value) { return getBytes(&value, sizeof value); }

bool Receiver::getText(std::string &text) {
  uint64_t length = 0;
  if (!getNumber(length) || length > (size_t(1) << 30)) return false;
  text.resize(length);
  return getBytes(&text[0], length);
}

bool Receiver::getChunkList(ChunkList &list, size_t bytes) {
  ChunkGrid &grid = list.grid;
  uint64_t rank = 0, count = 0;
  if (!getNumber(rank) || rank < 1 || rank > kMaxChunkRank) return false;
  grid.rank = static_cast<int>(rank);
  for (int i = 0; i < grid.rank; ++i) {
    if (!getNumber(grid.dims[i]) || !getNumber(grid.chunk[i])) return false;
  }
  // As many chunks as the grid has, and no more than the block has bytes.
  if (!getNumber(grid.elementSize) || !getNumber(count) || count != chunkCountOf(grid) ||
      count > bytes) {
    return false;
  }
  for (uint64_t n = 0; n < count; ++n) {
    StoredChunk stored;
    uint64_t deflated = 0;
    if (!getNumber(stored.offset) || !getNumber(stored.bytes) || !getNumber(deflated)) return false;
    stored.deflated = deflated != 0;
    list.chunks.push_back(stored);
  }
  return true;
}

bool Receiver::getChunkedData(int dataFile, size_t bytes, void *&data) {
  ChunkList list;
  if (dataFile < 0 || !getChunkList(list, bytes)) return false;
  // Inflating here is this process's own work, not time the reader took.
  auto started = std::chrono::steady_clock::now();
  data = readFromChunks(dataFile, list, bytes);
  deadline_ += std::chrono::steady_clock::now() - started;
  return data != nullptr;
}

bool Receiver::getData(const DataSources &sources, size_t bytes, void *&data) {
  uint64_t kind = 0, size = 0;
  if (!getNumber(kind)) return false;
  if (kind == NoBlock) return true;
  if (!getNumber(size) || size != bytes || bytes == 0) return false;
  if (kind == ChunkedBlock) return getChunkedData(sources.dataFile, bytes, data);
  BlockDelivery delivery;
  if (kind == FileBlock) {
    if (!getNumber(delivery.offset) || sources.dataFile < 0) return false;
    data = readFromFile(sources.dataFile, delivery, bytes);
    return data != nullptr;
  }
  if (kind == SharedBlock) {
    uint64_t whole = 0;
    if (!getNumber(delivery.offset) || !getNumber(whole) || whole > bytes ||
        sources.memoryFile < 0) {
      return false;
    }
    delivery.wholeBytes = whole;
    data = adoptSharedPages(sources.memoryFile, delivery, bytes);
    if (data == nullptr) return false;
  } else if (kind == InlineBlock) {
    data = standin::allocateData(bytes);
  } else {
    return false;
  }
  return getBytes(static_cast<char *>(data) + delivery.wholeBytes, bytes - delivery.wholeBytes);
}

bool Receiver::getArrayInto(mxArray &array, const DataSources &sources, unsigned depth) {
  uint64_t cls = 0, flags = 0, count = 0;
  if (depth > kMaxDepth || !getNumber(cls) || !getNumber(flags) || !getNumber(count) ||
      count < 2 || count > 64) {
    return false;
  }
  array.cls = static_cast<ArrayClass>(cls);
  array.isComplex = (flags & Complex) != 0;
  array.isGlobal = (flags & Global) != 0;
  array.isSparse = (flags & Sparse) != 0;
  array.hasData = (flags & HasData) != 0;
  array.dims.resize(count);
  for (size_t &dim : array.dims) {
    uint64_t value = 0;
    if (!getNumber(value)) return false;
    dim = value;
  }
  size_t elements = 0;
  uint64_t nzmax = 0;
  if (!standin::countElements(array.dims, elements) || !getNumber(nzmax) ||
      !getText(array.name) || !getText(array.objectClassName) || !getNumber(count)) {
    return false;
  }
  array.nzmax = nzmax;
  array.fieldNames.resize(count);
  for (std::string &field : array.fieldNames) {
    if (!getText(field)) return false;
  }
  Blocks blocks = blocksOf(array);
  for (int i = 0; i < 4; ++i) {
    if (!getData(sources, blocks.bytes[i], *blocks.data[i])) return false;
  }
  if (!getNumber(count)) return false;
  for (uint64_t i = 0; i < count; ++i) {
    array.children.push_back(nullptr);
    mxArray *child = new mxArray;
    array.children.back() = child;  // destroyed with the array if incomplete
    if (!getArrayInto(*child, sources, depth + 1)) return false;
  }
  return true;
}

mxArray *Receiver::getArray(const DataSources &sources) {
  standin::ArrayPtr array(new mxArray);
  return getArrayInto(*array, sources, 0) ? array.release() : nullptr;
}

}  // namespace mat_v73
