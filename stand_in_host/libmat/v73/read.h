// Reads a version 7.3 variable into the stand-in's array model: as a header
// (class, dimensions, flags) or whole, following cell and struct references.
#ifndef STAND_IN_HOST_LIBMAT_V73_READ_H
#define STAND_IN_HOST_LIBMAT_V73_READ_H

#include <hdf5.h>

#include <cstdint>
#include <string>

#include "mx_array.h"

namespace mat_v73 {

// Reads the variable `name` stored as `object`. `arrayLimit` bounds the number of
// arrays a whole read may build, so that references that loop or fan out
// cannot make it run for ever. Null on any failure; throws std::bad_alloc
// when memory runs out.
mxArray *readVariableObject(hid_t object, const std::string &name, bool whole,
                            uint64_t arrayLimit);

}  // namespace mat_v73

#endif
