#include "v73/reader.h"

#include <hdf5.h>

#include <algorithm>
#include <stdexcept>
#include <type_traits>

#include "v73/describe.h"
#include "v73/file_driver.h"
#include "v73/hdf5_id.h"
#include "v73/read.h"

namespace mat_v73 {

static_assert(std::is_same<hid_t, int64_t>::value, "File keeps the HDF5 identifier as int64_t");

namespace {

// libhdf5 prints its error stack on standard error by default, also from
// its clean-up at process exit. The reader reports failures by its results
// only, so printing is switched off before the first call, for good.
void silenceLibraryErrors() {
  static const bool silenced = H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr) >= 0;
  (void)silenced;
}

bool isVariableName(const std::string &name) {
  return name != "#refs#" && name != "#subsystem#";
}

// A file whose each array needs its own object header cannot hold more
// arrays than this; a read that builds more is following shared or looping
// references.
uint64_t arrayLimitFor(uint64_t fileSize) { return fileSize / 16 + 1024; }

}  // namespace

File::~File() { close(); }

bool File::open(const char *path, uint64_t fileSize) {
  silenceLibraryErrors();
  close();
  // Semi-strict closing: closing the file fails while any object in it is
  // still open, so a leaked identifier shows as a failed matClose.
  Id access(H5Pcreate(H5P_FILE_ACCESS));
  if (!access.valid() || H5Pset_fclose_degree(access.get(), H5F_CLOSE_SEMI) < 0 ||
      !useFileDriver(access.get())) {
    return false;
  }
  id_ = H5Fopen(path, H5F_ACC_RDONLY, access.get());
  if (id_ < 0) return false;
  arrayLimit_ = arrayLimitFor(fileSize);
  names_.clear();
  listed_ = listMemberNames(id_, names_);
  names_.erase(std::remove_if(names_.begin(), names_.end(),
                              [](const std::string &name) { return !isVariableName(name); }),
               names_.end());
  return true;
}

bool File::close() {
  if (id_ < 0) return true;
  herr_t status = H5Fclose(id_);
  id_ = -1;
  return status >= 0;
}

bool File::listVariableNames(std::vector<std::string> &names) const {
  if (id_ < 0 || !listed_) return false;
  names = names_;
  return true;
}

mxArray *File::readVariable(size_t &index, bool whole) const {
  if (id_ < 0 || !listed_ || index >= names_.size()) return nullptr;
  const std::string &name = names_[index++];
  Id object = openMember(id_, name);
  if (!object.valid()) return nullptr;
  try {
    return readVariableObject(object.get(), name, whole, arrayLimit_);
  } catch (const std::length_error &) {
    return nullptr;  // more elements than a vector can hold
  }
}

}  // namespace mat_v73
