// Reader of version 7.3 MAT-files: HDF5 files behind a 512-byte user block
// that starts with a version 5 style header of version 0x0200. Each hard
// link in the root group, in HDF5's name order, is a variable, except
// "#refs#" (what cells and structs refer to) and "#subsystem#".
#ifndef STAND_IN_HOST_LIBMAT_V73_READER_H
#define STAND_IN_HOST_LIBMAT_V73_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "common/file_bytes.h"
#include "mx_array.h"

namespace mat_v73 {

class File {
 public:
  File() = default;
  File(const File &) = delete;
  File &operator=(const File &) = delete;
  ~File();

  // Opens the file with libhdf5 and lists its variables; false if libhdf5
  // cannot open it. A failed listing shows in listVariableNames.
  bool open(const char *path, uint64_t fileSize);
  // Closes the file; true if nothing was open. False if libhdf5 failed.
  bool close();

  // The variable names; false if the root group could not be listed whole.
  bool listVariableNames(std::vector<std::string> &names) const;

  // Reads variable number `index` and advances `index`. With `whole` false
  // only the header is read (class, dimensions, flags, name). Null past the
  // last variable and on any failure; throws std::bad_alloc when memory
  // runs out.
  mxArray *readVariable(size_t &index, bool whole) const;

 private:
  int64_t id_ = -1;  // the HDF5 file identifier
  uint64_t arrayLimit_ = 0;
  bool listed_ = false;
  std::vector<std::string> names_;
};

}  // namespace mat_v73

#endif
