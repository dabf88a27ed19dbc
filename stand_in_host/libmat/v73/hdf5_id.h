// An HDF5 identifier that is released when it goes out of scope, so that
// every path out of the version 7.3 reader leaves no object open.
#ifndef STAND_IN_HOST_LIBMAT_V73_HDF5_ID_H
#define STAND_IN_HOST_LIBMAT_V73_HDF5_ID_H

#include <hdf5.h>

#include <utility>

namespace mat_v73 {

class Id {
 public:
  Id() = default;
  explicit Id(hid_t id) : id_(id) {}
  Id(const Id &) = delete;
  Id &operator=(const Id &) = delete;
  Id(Id &&other) noexcept : id_(std::exchange(other.id_, H5I_INVALID_HID)) {}
  Id &operator=(Id &&other) noexcept {
    if (this != &other) {
      reset();
      id_ = std::exchange(other.id_, H5I_INVALID_HID);
    }
    return *this;
  }
  ~Id() { reset(); }

  hid_t get() const { return id_; }
  bool valid() const { return id_ >= 0; }

  // Drops this holder's reference; the library closes the object (group,
  // dataset, attribute, dataspace, datatype, property list) with the last one.
  void reset() {
    if (id_ >= 0) H5Idec_ref(id_);
    id_ = H5I_INVALID_HID;
  }

 private:
  hid_t id_ = H5I_INVALID_HID;
};

}  // namespace mat_v73

#endif
