// What the first bytes of a version 7.3 file say, which needs no libhdf5:
// the writer's text and byte order, and the HDF5 superblock's version.
#include "v73/examine_header.h"

#include <cstring>

namespace mat_v73 {

void examineHeader(const FileBytes &file, FileExamination &examination) {
  examination.version = "7.3";
  unsigned char header[128];
  if (file.readAt(0, header, sizeof header)) {
    std::string text(reinterpret_cast<const char *>(header), 116);
    size_t end = text.find_last_not_of(std::string(" \0", 2));
    examination.headerText = end == std::string::npos ? std::string() : text.substr(0, end + 1);
    examination.bigEndian = std::memcmp(header + 126, "MI", 2) == 0;
  }
  // libhdf5 looks for its signature at 0 and at each power of two from 512.
  static const unsigned char kSignature[8] = {0x89, 'H', 'D', 'F', '\r', '\n', 0x1A, '\n'};
  for (uint64_t at = 0; at < file.size(); at = at == 0 ? 512 : at * 2) {
    unsigned char bytes[9];
    if (!file.readAt(at, bytes, sizeof bytes)) break;
    if (std::memcmp(bytes, kSignature, sizeof kSignature) == 0) {
      examination.superblockVersion = bytes[8];
      break;
    }
  }
}

}  // namespace mat_v73
