#include "v73/file_driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/read_exactly.h"
#include "v73/hdf5_id.h"

namespace mat_v73 {

namespace {

struct DriverFile {
  H5FD_t base;  // first: libhdf5 sees the file as this
  int descriptor;
  haddr_t endOfAllocation;
  haddr_t endOfFile;
};

DriverFile *fileOf(H5FD_t *file) { return reinterpret_cast<DriverFile *>(file); }
const DriverFile *fileOf(const H5FD_t *file) { return reinterpret_cast<const DriverFile *>(file); }

struct Probe {
  bool armed = false;
  unsigned reads = 0;
  uint64_t offset = 0;
  uint64_t bytes = 0;
};

Probe probe;

H5FD_t *openFile(const char *name, unsigned flags, hid_t, haddr_t) {
  if ((flags & (H5F_ACC_RDWR | H5F_ACC_TRUNC | H5F_ACC_CREAT)) != 0) return nullptr;
  int descriptor = open(name, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status;
  auto *file = static_cast<DriverFile *>(std::calloc(1, sizeof(DriverFile)));
  if (file == nullptr || fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    std::free(file);
    close(descriptor);
    return nullptr;
  }
  file->descriptor = descriptor;
  file->endOfFile = static_cast<haddr_t>(status.st_size);
  return &file->base;
}

herr_t closeFile(H5FD_t *file) {
  int closed = close(fileOf(file)->descriptor);
  std::free(fileOf(file));
  return closed == 0 ? 0 : -1;
}

herr_t queryFeatures(const H5FD_t *, unsigned long *flags) {
  *flags = H5FD_FEAT_ACCUMULATE_METADATA | H5FD_FEAT_DATA_SIEVE | H5FD_FEAT_POSIX_COMPAT_HANDLE;
  return 0;
}

haddr_t endOfAllocation(const H5FD_t *file, H5FD_mem_t) { return fileOf(file)->endOfAllocation; }

herr_t setEndOfAllocation(H5FD_t *file, H5FD_mem_t, haddr_t address) {
  fileOf(file)->endOfAllocation = address;
  return 0;
}

haddr_t endOfFile(const H5FD_t *file, H5FD_mem_t) { return fileOf(file)->endOfFile; }

herr_t handleOf(H5FD_t *file, hid_t, void **handle) {
  *handle = &fileOf(file)->descriptor;
  return 0;
}

// Reads `size` bytes at `address`; bytes past the end of the file read as
// zero, as with libhdf5's own driver.
herr_t readBytes(H5FD_t *file, H5FD_mem_t type, hid_t, haddr_t address, size_t size, void *into) {
  if (address == HADDR_UNDEF || address > fileOf(file)->endOfAllocation ||
      size > fileOf(file)->endOfAllocation - address) {
    return -1;
  }
  if (probe.armed && type == H5FD_MEM_DRAW) {
    ++probe.reads;
    probe.offset = address;
    probe.bytes = size;
    return 0;
  }
  // The bytes inside the file are read; any beyond its end read as zero.
  auto *out = static_cast<unsigned char *>(into);
  haddr_t end = fileOf(file)->endOfFile;
  size_t inside = address >= end ? 0 : static_cast<size_t>(std::min<haddr_t>(size, end - address));
  if (inside > 0 && !readExactly(fileOf(file)->descriptor, address, out, inside)) return -1;
  std::memset(out + inside, 0, size - inside);
  return 0;
}

herr_t refuseWrite(H5FD_t *, H5FD_mem_t, hid_t, haddr_t, size_t, const void *) { return -1; }

H5FD_class_t describeDriver() {
  H5FD_class_t driver;
  std::memset(&driver, 0, sizeof driver);
  driver.name = "mat_v73_reader";
  driver.maxaddr = (haddr_t(1) << 63) - 1;
  driver.fc_degree = H5F_CLOSE_WEAK;
  driver.open = openFile;
  driver.close = closeFile;
  driver.query = queryFeatures;
  driver.get_eoa = endOfAllocation;
  driver.set_eoa = setEndOfAllocation;
  driver.get_eof = endOfFile;
  driver.get_handle = handleOf;
  driver.read = readBytes;
  driver.write = refuseWrite;
  const H5FD_mem_t map[] = H5FD_FLMAP_DICHOTOMY;
  std::memcpy(driver.fl_map, map, sizeof map);
  return driver;
}

hid_t driverId() {
  static const H5FD_class_t driver = describeDriver();
  static const hid_t id = H5FDregister(&driver);
  return id;
}

}  // namespace

bool useFileDriver(hid_t access) {
  hid_t driver = driverId();
  return driver >= 0 && H5Pset_driver(access, driver, nullptr) >= 0;
}

bool openFileOf(hid_t object, int &descriptor, uint64_t &fileSize) {
  Id file(H5Iget_file_id(object));
  Id access(file.valid() ? H5Fget_access_plist(file.get()) : H5I_INVALID_HID);
  void *handle = nullptr;
  struct stat status;
  if (!access.valid() || H5Pget_driver(access.get()) != driverId() ||
      H5Fget_vfd_handle(file.get(), access.get(), &handle) < 0 || handle == nullptr ||
      fstat(*static_cast<int *>(handle), &status) != 0) {
    return false;
  }
  descriptor = *static_cast<int *>(handle);
  fileSize = static_cast<uint64_t>(status.st_size);
  return true;
}

RawDataProbe::RawDataProbe() { probe = Probe{true, 0, 0, 0}; }

RawDataProbe::~RawDataProbe() { probe = Probe(); }

bool RawDataProbe::take(uint64_t &offset, uint64_t &bytes) {
  bool one = probe.reads == 1;
  offset = probe.offset;
  bytes = probe.bytes;
  probe.reads = 0;
  return one;
}

}  // namespace mat_v73
