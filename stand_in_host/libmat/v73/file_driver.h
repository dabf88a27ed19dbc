// The HDF5 file driver the version 7.3 reader opens files with: read-only,
// over a POSIX descriptor, like libhdf5's default driver, with one addition.
// While a RawDataProbe is alive, a read of raw (dataset) data is recorded
// instead of made, so that asking libhdf5 to read a chunk tells where its
// stored bytes lie in the file without copying them. libhdf5 1.10 has no
// other quick way to say that: its chunk queries walk the whole chunk index
// for every chunk.
#ifndef STAND_IN_HOST_LIBMAT_V73_FILE_DRIVER_H
#define STAND_IN_HOST_LIBMAT_V73_FILE_DRIVER_H

#include <hdf5.h>

#include <cstdint>

namespace mat_v73 {

// Sets the driver on a file access property list; false if libhdf5 refuses.
bool useFileDriver(hid_t access);

// The descriptor and size of a file opened with the driver, from any object
// in it; false for a file opened otherwise.
bool openFileOf(hid_t object, int &descriptor, uint64_t &fileSize);

// Records raw data reads while alive (one probe at a time; libhdf5 calls
// the driver from the thread that called it).
class RawDataProbe {
 public:
  RawDataProbe();
  RawDataProbe(const RawDataProbe &) = delete;
  RawDataProbe &operator=(const RawDataProbe &) = delete;
  ~RawDataProbe();

  // The one raw read made since the last take: its file offset and length.
  // False if there was none, or more than one.
  bool take(uint64_t &offset, uint64_t &bytes);
};

}  // namespace mat_v73

#endif
