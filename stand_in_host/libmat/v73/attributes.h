// The MATLAB_* attributes that version 7.3 MAT-files put on variables.
// Each reader reports whether the attribute is there; a present attribute of
// an unexpected type or size makes the read fail.
#ifndef STAND_IN_HOST_LIBMAT_V73_ATTRIBUTES_H
#define STAND_IN_HOST_LIBMAT_V73_ATTRIBUTES_H

#include <hdf5.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mat_v73 {

// One string: fixed-length (NUL-terminated, NUL-padded or space-padded) or
// variable-length.
bool readStringAttribute(hid_t object, const char *name, std::string &value, bool &found);

// An integer type of 1, 2, 4 or 8 bytes, every bit of it the number's.
// libhdf5 converts other integer types (a 7-byte one, bits at an offset)
// in ways that differ from one run to the next, so they are refused.
bool isPlainInteger(hid_t type);

// One non-negative integer; 0 when the attribute is absent.
bool readCountAttribute(hid_t object, const char *name, uint64_t &value, bool &found);

// A list of variable-length byte strings (MATLAB_fields).
bool readNameListAttribute(hid_t object, const char *name, std::vector<std::string> &names,
                           bool &found);

}  // namespace mat_v73

#endif
