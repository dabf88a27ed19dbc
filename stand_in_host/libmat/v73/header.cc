// Recognizing a version 7.3 MAT-file by its 128-byte header, which needs no
// HDF5: a version 5 style header with the version 0x0200.
#include <cstring>

#include "v73/version_reader.h"

namespace mat_v73 {

bool hasVersion73Header(const FileBytes &file) {
  constexpr size_t kHeaderSize = 128;
  unsigned char header[kHeaderSize];
  if (!file.readAt(0, header, kHeaderSize)) return false;
  const unsigned char *version = header + 124;
  if (std::memcmp(header + 126, "IM", 2) == 0) return version[0] == 0x00 && version[1] == 0x02;
  if (std::memcmp(header + 126, "MI", 2) == 0) return version[0] == 0x02 && version[1] == 0x00;
  return false;
}

}  // namespace mat_v73
