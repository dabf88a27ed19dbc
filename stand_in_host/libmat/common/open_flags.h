// Flags for open(2) that not every platform has: O_BINARY (Windows, where
// files open in text mode otherwise) and O_CLOEXEC (POSIX). Where a flag
// is missing it is 0, so that one call serves every platform.
#ifndef STAND_IN_HOST_LIBMAT_COMMON_OPEN_FLAGS_H
#define STAND_IN_HOST_LIBMAT_COMMON_OPEN_FLAGS_H

#include <fcntl.h>

#ifndef O_BINARY
#define O_BINARY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

#endif
