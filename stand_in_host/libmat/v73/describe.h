// What a version 7.3 variable is, from its HDF5 object and its MATLAB_*
// attributes: class, dimensions in MATLAB order, flags and data layout.
#ifndef STAND_IN_HOST_LIBMAT_V73_DESCRIBE_H
#define STAND_IN_HOST_LIBMAT_V73_DESCRIBE_H

#include <hdf5.h>

#include <string>
#include <vector>

#include "v73/hdf5_id.h"
#include "mx_array.h"

namespace mat_v73 {

// How a variable's data is laid out in the file.
enum class Layout {
  Numeric,       // a dataset of numbers, characters or logicals; complex: compound real/imag
  Empty,         // MATLAB_empty: the dataset holds the dimensions, not data
  Sparse,        // a group with data, ir and jc; MATLAB_sparse is the row count
  Cell,          // a dataset of references to the elements
  ScalarStruct,  // a group whose members are the fields of its one element
  StructArray,   // a group with one dataset of references per field
  NoData,        // function handles and objects encoded the writer's own way
};

struct Description {
  Layout layout = Layout::Numeric;
  ArrayClass cls = ArrayClass::Double;
  std::string className;         // MATLAB_class as stored
  std::vector<size_t> dims;      // MATLAB order, not yet normalized
  bool complex = false;
  bool sparse = false;
  bool global = false;
  std::vector<std::string> fields;  // struct and object
};

// Reads the attributes and shape of a dataset or group; false if they are
// missing, of the wrong type or contradict each other.
bool describeObject(hid_t object, Description &description);

// Opens the member `name` of `group`, following hard links only (never a
// path, a soft link or a link into another file); invalid on failure.
Id openMember(hid_t group, const std::string &name);

// The names of the hard links in `group`, in HDF5's name order.
bool listMemberNames(hid_t group, std::vector<std::string> &names);

// The dimensions of a dataset in MATLAB order (the dataspace's reversed).
bool readExtent(hid_t dataset, std::vector<size_t> &dims);

// True for a dataset of object references (cells, struct array fields).
bool holdsReferences(hid_t dataset);

// The native memory type data of `cls` is read into; invalid for classes
// without numeric data.
hid_t memoryTypeOf(ArrayClass cls);

}  // namespace mat_v73

#endif
