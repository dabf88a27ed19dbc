// Reading an exact number of bytes at an offset of an open file: the one
// loop over short reads and interrupted calls that every reader uses.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_READ_EXACTLY_H
#define STAND_IN_HOST_LIBMAT_COMMON_READ_EXACTLY_H

#include <cstddef>
#include <cstdint>

// Reads exactly `length` bytes at `offset` of the file open as `fd` into
// `destination`; false if they are not all there or a read fails. Safe to
// call from several threads at once on one descriptor (except on Windows,
// where it seeks).
bool readExactly(int fd, uint64_t offset, void *destination, size_t length);

#endif
