#include "v73/reader_channel.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace mat_v73 {

namespace {

bool sendAll(int socket, const void *data, size_t length) {
  const char *at = static_cast<const char *>(data);
  while (length > 0) {
    ssize_t sent = send(socket, at, length, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    at += sent;
    length -= static_cast<size_t>(sent);
  }
  return true;
}

// Waits until the socket has something to read; false at the deadline.
bool waitForInput(int socket, Deadline deadline) {
  if (deadline == Deadline::max()) return true;  // a blocking receive waits
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd input{socket, POLLIN, 0};
    int ready = poll(&input, 1, static_cast<int>(std::min<int64_t>(left.count(), INT32_MAX)));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

}  // namespace

bool sendFrameLength(int socket, uint64_t length) { return sendAll(socket, &length, sizeof length); }

bool sendFrame(int socket, const void *data, size_t length) {
  return sendFrameLength(socket, length) && sendAll(socket, data, length);
}

bool sendFrame(int socket, const std::string &payload) {
  return sendFrame(socket, payload.data(), payload.size());
}

bool receiveExactly(int socket, void *destination, size_t length, Deadline deadline) {
  char *at = static_cast<char *>(destination);
  while (length > 0) {
    if (!waitForInput(socket, deadline)) return false;
    ssize_t received = recv(socket, at, length, 0);
    if (received < 0 && errno == EINTR) continue;
    if (received <= 0) return false;
    at += received;
    length -= static_cast<size_t>(received);
  }
  return true;
}

bool receiveFrame(int socket, std::string &payload, uint64_t limit, Deadline deadline) {
  uint64_t length = 0;
  if (!receiveExactly(socket, &length, sizeof length, deadline) || length > limit) return false;
  // The frame is taken in pieces as it arrives, so that a length that lies
  // costs no more memory than the bytes that really come.
  constexpr size_t kPiece = size_t(1) << 20;
  payload.clear();
  while (payload.size() < length) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(kPiece, length - payload.size()));
    size_t at = payload.size();
    payload.resize(at + piece);
    if (!receiveExactly(socket, &payload[at], piece, deadline)) return false;
  }
  return true;
}

}  // namespace mat_v73
