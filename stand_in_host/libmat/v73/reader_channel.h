// The channel between the version 7.3 reader process and its client: a
// stream socket carrying frames, each a 64-bit length (host byte order)
// and that many bytes. The client sends a request; the reader answers with
// a frame that starts with a status, and for a streamed source follows it
// with frames of the source's bytes.
#ifndef STAND_IN_HOST_LIBMAT_V73_READER_CHANNEL_H
#define STAND_IN_HOST_LIBMAT_V73_READER_CHANNEL_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace mat_v73 {

using Deadline = std::chrono::steady_clock::time_point;

enum class Request : uint64_t { Directory = 1, Plan = 2, Stream = 3, Close = 4, Salvage = 5 };
enum class Status : uint64_t { Failed = 0, Succeeded = 1 };

// The frame that ends a stream early: its length field, with no bytes.
constexpr uint64_t kStreamFailed = UINT64_MAX;

// Sends one frame; false if the other side is gone.
bool sendFrame(int socket, const void *data, size_t length);
bool sendFrame(int socket, const std::string &payload);
// Sends the length field alone (kStreamFailed).
bool sendFrameLength(int socket, uint64_t length);

// Receives exactly `length` bytes; false if the other side is gone or
// `deadline` passes first.
bool receiveExactly(int socket, void *destination, size_t length, Deadline deadline);
// Receives one frame of at most `limit` bytes.
bool receiveFrame(int socket, std::string &payload, uint64_t limit, Deadline deadline);

}  // namespace mat_v73

#endif
