// What the version 7.3 reader process may use, by the size of the file it
// reads: the kernel holds it to its CPU time and address space, and its
// client waits for each answer no longer than a loose wall-clock limit, a
// backstop for a reader that blocks without using CPU time.
#ifndef STAND_IN_HOST_LIBMAT_V73_READER_LIMITS_H
#define STAND_IN_HOST_LIBMAT_V73_READER_LIMITS_H

#include <chrono>
#include <cstdint>

namespace mat_v73 {

constexpr uint64_t kSmallFile = uint64_t(1) << 20;

// CPU seconds for the process's whole life: 1 for a file of up to 1 MiB
// (describing a file takes milliseconds; a damaged one can make libhdf5
// loop), and 1 more per 100 KB beyond, room for libhdf5 to convert data
// that deflate shrank a thousandfold.
inline uint64_t readerCpuSeconds(uint64_t fileSize) {
  return 1 + (fileSize > kSmallFile ? (fileSize - kSmallFile) / 100000 + 1 : 0);
}

// Address space beyond what the process has mapped when it starts: 1 GiB,
// and 64 bytes per byte of the file (a file's metadata describes at most
// that much). A damaged file can have libhdf5 ask for petabytes.
inline uint64_t readerAddressSpace(uint64_t fileSize) {
  uint64_t limit = uint64_t(1) << 30;
  return fileSize > (UINT64_MAX - limit) / 64 ? UINT64_MAX : limit + 64 * fileSize;
}

// How long the client waits for one answer: 5 s, and 20 us more per byte
// beyond 1 MiB.
inline std::chrono::microseconds answerWait(uint64_t fileSize) {
  uint64_t beyond = fileSize > kSmallFile ? fileSize - kSmallFile : 0;
  if (beyond > UINT64_MAX / 40) beyond = UINT64_MAX / 40;
  return std::chrono::seconds(5) + std::chrono::microseconds(20 * beyond);
}

}  // namespace mat_v73

#endif
