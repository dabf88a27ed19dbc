// Version 7.3 files read in a process of their own. libhdf5 can crash on a
// damaged file; a reader process that crashes takes only the request it was
// serving with it, which then fails like any other failed read.
//
// matOpen starts the reader process, which opens the file with libhdf5 and
// serves the listing and each read; matClose ends it. Arrays come back over
// a socket, their data as mat_v73_shared_data.h delivers it: large blocks
// are not copied from one process to the other.
#ifndef STAND_IN_HOST_LIBMAT_V73_ISOLATED_H
#define STAND_IN_HOST_LIBMAT_V73_ISOLATED_H

#include "v73/reader.h"

#if defined(_WIN32)

namespace mat_v73 {
using IsolatedFile = File;  // no libhdf5 there: such files are refused anyway
}

#else

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mat_v73 {

// The interface of File, with the file opened in a reader process.
class IsolatedFile {
 public:
  IsolatedFile() = default;
  IsolatedFile(const IsolatedFile &) = delete;
  IsolatedFile &operator=(const IsolatedFile &) = delete;
  ~IsolatedFile();

  // Starts the reader process and has it open the file; false if either fails.
  bool open(const char *path, uint64_t fileSize);
  // Has the reader process close the file and end; true if nothing was open,
  // false if closing failed or the process did not end normally.
  bool close();

  bool listVariableNames(std::vector<std::string> &names) const;
  mxArray *readVariable(size_t &index, bool whole) const;

 private:
  // Ends the reader process at once (after a failure it cannot recover).
  void abandon() const;
  void closeDataFile() const;

  mutable int socket_ = -1;
  mutable pid_t reader_ = -1;
  mutable int dataFile_ = -1;  // the MAT-file, for data read straight from it
  uint64_t fileSize_ = 0;
};

}  // namespace mat_v73

#endif
#endif
