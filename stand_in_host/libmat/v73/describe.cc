#include "v73/describe.h"

#include <algorithm>
#include <cstring>

#include "v73/attributes.h"

namespace mat_v73 {

namespace {

struct NamedClass {
  const char *name;
  ArrayClass cls;
};

const NamedClass kNamedClasses[] = {
    {"double", ArrayClass::Double}, {"single", ArrayClass::Single},
    {"int8", ArrayClass::Int8},     {"uint8", ArrayClass::Uint8},
    {"int16", ArrayClass::Int16},   {"uint16", ArrayClass::Uint16},
    {"int32", ArrayClass::Int32},   {"uint32", ArrayClass::Uint32},
    {"int64", ArrayClass::Int64},   {"uint64", ArrayClass::Uint64},
    {"char", ArrayClass::Char},     {"logical", ArrayClass::Logical},
    {"cell", ArrayClass::Cell},     {"struct", ArrayClass::Struct},
    {"function_handle", ArrayClass::FunctionHandle},
};

// Any other class name is an object's class.
ArrayClass classNamed(const std::string &name) {
  for (const NamedClass &named : kNamedClasses) {
    if (name == named.name) return named.cls;
  }
  return ArrayClass::Object;
}

// Integers as isPlainInteger allows, floating point of 4 or 8 bytes.
bool isNumberType(hid_t type) {
  H5T_class_t cls = H5Tget_class(type);
  size_t size = H5Tget_size(type);
  return (cls == H5T_INTEGER && isPlainInteger(type)) ||
         (cls == H5T_FLOAT && (size == 4 || size == 8));
}

bool isNumberMember(hid_t compound, const char *name) {
  int index = H5Tget_member_index(compound, name);
  if (index < 0) return false;
  Id member(H5Tget_member_type(compound, static_cast<unsigned>(index)));
  return member.valid() && isNumberType(member.get());
}

// A compound of exactly the members `real` and `imag`, both numbers.
bool isComplexType(hid_t type) {
  return H5Tget_class(type) == H5T_COMPOUND && H5Tget_nmembers(type) == 2 &&
         isNumberMember(type, "real") && isNumberMember(type, "imag");
}

// The class of numbers stored without a MATLAB_class attribute.
ArrayClass classOfNumberType(hid_t type) {
  size_t size = H5Tget_size(type);
  if (H5Tget_class(type) == H5T_FLOAT) return size == 4 ? ArrayClass::Single : ArrayClass::Double;
  bool isSigned = H5Tget_sign(type) == H5T_SGN_2;
  switch (size) {
    case 1: return isSigned ? ArrayClass::Int8 : ArrayClass::Uint8;
    case 2: return isSigned ? ArrayClass::Int16 : ArrayClass::Uint16;
    case 4: return isSigned ? ArrayClass::Int32 : ArrayClass::Uint32;
    default: return isSigned ? ArrayClass::Int64 : ArrayClass::Uint64;
  }
}

// The stored type of numeric data: numbers, or complex numbers.
bool describeNumeric(hid_t dataset, bool hasClass, Description &d) {
  Id type(H5Dget_type(dataset));
  if (!type.valid()) return false;
  d.complex = isComplexType(type.get());
  if (!d.complex && !isNumberType(type.get())) return false;
  if (!hasClass) {
    Id number(d.complex ? H5Tget_member_type(type.get(), 0) : H5Tcopy(type.get()));
    if (!number.valid()) return false;
    d.cls = classOfNumberType(number.get());
  }
  if (d.complex && !isNumericClass(d.cls)) return false;
  d.layout = Layout::Numeric;
  return readExtent(dataset, d.dims);
}

// MATLAB_empty: the dataset holds the dimensions, at least one of them zero.
bool readEmptyDims(hid_t dataset, std::vector<size_t> &dims) {
  Id type(H5Dget_type(dataset));
  Id space(H5Dget_space(dataset));
  if (!type.valid() || !space.valid() || H5Tget_class(type.get()) != H5T_INTEGER) return false;
  // A damaged integer type of megabytes would have libhdf5 allocate (and
  // zero) a conversion buffer of that many bytes per stored dimension.
  if (!isPlainInteger(type.get())) return false;
  hssize_t count = H5Sget_simple_extent_npoints(space.get());
  if (count < 1 || count > H5S_MAX_RANK) return false;
  std::vector<uint64_t> stored(static_cast<size_t>(count));
  if (H5Dread(dataset, H5T_NATIVE_UINT64, H5S_ALL, H5S_ALL, H5P_DEFAULT, stored.data()) < 0) {
    return false;
  }
  dims.assign(stored.begin(), stored.end());
  return std::find(dims.begin(), dims.end(), 0) != dims.end();
}

bool describeDataset(hid_t dataset, bool hasClass, bool empty, bool objectData,
                     Description &d) {
  if (empty) {
    d.layout = Layout::Empty;
    return readEmptyDims(dataset, d.dims);
  }
  if (objectData) {
    // The dataset holds the writer's reference to the object, not its elements.
    d.layout = Layout::NoData;
    d.dims = {1, 1};
    return true;
  }
  switch (d.cls) {
    case ArrayClass::Cell:
      d.layout = Layout::Cell;
      return holdsReferences(dataset) && readExtent(dataset, d.dims);
    case ArrayClass::Struct:
      return false;
    case ArrayClass::Object:
    case ArrayClass::FunctionHandle:
      d.layout = Layout::NoData;
      return readExtent(dataset, d.dims);
    default:
      return describeNumeric(dataset, hasClass, d);
  }
}

hssize_t memberElementCount(hid_t group, const char *name) {
  Id member = openMember(group, name);
  if (!member.valid() || H5Iget_type(member.get()) != H5I_DATASET) return -1;
  Id space(H5Dget_space(member.get()));
  return space.valid() ? H5Sget_simple_extent_npoints(space.get()) : -1;
}

bool describeSparse(hid_t group, uint64_t rows, Description &d) {
  if (d.cls != ArrayClass::Double && d.cls != ArrayClass::Logical) return false;
  hssize_t columnStarts = memberElementCount(group, "jc");
  if (columnStarts < 1) return false;
  d.layout = Layout::Sparse;
  d.sparse = true;
  d.dims = {static_cast<size_t>(rows), static_cast<size_t>(columnStarts - 1)};
  htri_t hasValues = H5Lexists(group, "data", H5P_DEFAULT);
  if (hasValues < 0) return false;
  if (hasValues > 0) {
    Id values = openMember(group, "data");
    Id type(values.valid() ? H5Dget_type(values.get()) : H5I_INVALID_HID);
    if (!type.valid()) return false;
    d.complex = isComplexType(type.get());
    if (d.complex && d.cls != ArrayClass::Double) return false;
  }
  return true;
}

// A struct (or an old-style object) is a group: one element with the fields
// as members, or an array with a dataset of references per field.
bool describeStruct(hid_t group, Description &d) {
  bool listed = false;
  if (!readNameListAttribute(group, "MATLAB_fields", d.fields, listed)) return false;
  if (!listed && !listMemberNames(group, d.fields)) return false;
  d.layout = Layout::ScalarStruct;
  d.dims = {1, 1};
  if (d.fields.empty()) return true;
  Id first = openMember(group, d.fields.front());
  if (!first.valid()) return false;
  if (H5Iget_type(first.get()) != H5I_DATASET || !holdsReferences(first.get())) return true;
  htri_t hasClass = H5Aexists(first.get(), "MATLAB_class");
  if (hasClass < 0) return false;
  if (hasClass > 0) return true;
  d.layout = Layout::StructArray;
  return readExtent(first.get(), d.dims);
}

bool describeGroup(hid_t group, bool isSparse, uint64_t rows, Description &d) {
  if (isSparse) return describeSparse(group, rows, d);
  if (d.cls == ArrayClass::FunctionHandle) {
    d.layout = Layout::NoData;
    d.dims = {1, 1};
    return true;
  }
  if (d.cls != ArrayClass::Struct && d.cls != ArrayClass::Object) return false;
  return describeStruct(group, d);
}

herr_t collectHardLink(hid_t, const char *name, const H5L_info_t *info, void *data) {
  if (info->type != H5L_TYPE_HARD) return 0;
  try {
    static_cast<std::vector<std::string> *>(data)->emplace_back(name);
  } catch (...) {
    return -1;
  }
  return 0;
}

}  // namespace

bool describeObject(hid_t object, Description &d) {
  bool hasClass = false, isGlobal = false, isEmpty = false, isSparse = false, isObject = false;
  uint64_t global = 0, empty = 0, rows = 0, objectDecode = 0;
  if (!readStringAttribute(object, "MATLAB_class", d.className, hasClass) ||
      !readCountAttribute(object, "MATLAB_global", global, isGlobal) ||
      !readCountAttribute(object, "MATLAB_empty", empty, isEmpty) ||
      !readCountAttribute(object, "MATLAB_sparse", rows, isSparse) ||
      !readCountAttribute(object, "MATLAB_object_decode", objectDecode, isObject)) {
    return false;
  }
  d.global = global != 0;
  H5I_type_t kind = H5Iget_type(object);
  if (hasClass) {
    d.cls = classNamed(d.className);
  } else if (kind == H5I_GROUP) {
    d.cls = ArrayClass::Struct;
  }
  if (kind == H5I_DATASET) {
    if (isObject && d.cls != ArrayClass::FunctionHandle) d.cls = ArrayClass::Opaque;
    if (!describeDataset(object, hasClass, empty != 0, isObject, d)) return false;
    d.sparse = isSparse && d.layout == Layout::Empty;
    return true;
  }
  return kind == H5I_GROUP && describeGroup(object, isSparse, rows, d);
}

Id openMember(hid_t group, const std::string &name) {
  if (name.empty() || name == "." || name.find('/') != std::string::npos) return Id();
  H5L_info_t info;
  if (H5Lget_info(group, name.c_str(), &info, H5P_DEFAULT) < 0 || info.type != H5L_TYPE_HARD) {
    return Id();
  }
  return Id(H5Oopen(group, name.c_str(), H5P_DEFAULT));
}

bool listMemberNames(hid_t group, std::vector<std::string> &names) {
  hsize_t position = 0;
  return H5Literate(group, H5_INDEX_NAME, H5_ITER_INC, &position, collectHardLink, &names) >= 0;
}

bool readExtent(hid_t dataset, std::vector<size_t> &dims) {
  Id space(H5Dget_space(dataset));
  if (!space.valid()) return false;
  switch (H5Sget_simple_extent_type(space.get())) {
    case H5S_NULL:
      dims = {0, 0};
      return true;
    case H5S_SCALAR:
      dims = {1, 1};
      return true;
    case H5S_SIMPLE:
      break;
    default:
      return false;
  }
  hsize_t stored[H5S_MAX_RANK];
  int rank = H5Sget_simple_extent_dims(space.get(), stored, nullptr);
  if (rank < 0) return false;
  dims.assign(std::reverse_iterator<hsize_t *>(stored + rank),
              std::reverse_iterator<hsize_t *>(stored));
  return true;
}

bool holdsReferences(hid_t dataset) {
  Id type(H5Dget_type(dataset));
  return type.valid() && H5Tequal(type.get(), H5T_STD_REF_OBJ) > 0;
}

hid_t memoryTypeOf(ArrayClass cls) {
  switch (cls) {
    case ArrayClass::Double: return H5T_NATIVE_DOUBLE;
    case ArrayClass::Single: return H5T_NATIVE_FLOAT;
    case ArrayClass::Int8: return H5T_NATIVE_INT8;
    case ArrayClass::Uint8: return H5T_NATIVE_UINT8;
    case ArrayClass::Int16: return H5T_NATIVE_INT16;
    case ArrayClass::Uint16: return H5T_NATIVE_UINT16;
    case ArrayClass::Int32: return H5T_NATIVE_INT32;
    case ArrayClass::Uint32: return H5T_NATIVE_UINT32;
    case ArrayClass::Int64: return H5T_NATIVE_INT64;
    case ArrayClass::Uint64: return H5T_NATIVE_UINT64;
    case ArrayClass::Char: return H5T_NATIVE_UINT16;
    case ArrayClass::Logical: return H5T_NATIVE_UINT8;
    default: return H5I_INVALID_HID;
  }
}

}  // namespace mat_v73
