#include "v73/attributes.h"

#include <cstring>

#include "v73/hdf5_id.h"

namespace mat_v73 {

namespace {

bool openAttribute(hid_t object, const char *name, Id &attribute, bool &found) {
  htri_t exists = H5Aexists(object, name);
  if (exists < 0) return false;
  found = exists > 0;
  if (!found) return true;
  attribute = Id(H5Aopen(object, name, H5P_DEFAULT));
  return attribute.valid();
}

hssize_t elementCount(hid_t attribute) {
  Id space(H5Aget_space(attribute));
  return space.valid() ? H5Sget_simple_extent_npoints(space.get()) : -1;
}

// Opens an attribute that must hold one value of the type class `expected`.
bool openSingleValue(hid_t object, const char *name, H5T_class_t expected, Id &attribute,
                     Id &type, bool &found) {
  if (!openAttribute(object, name, attribute, found)) return false;
  if (!found) return true;
  type = Id(H5Aget_type(attribute.get()));
  return type.valid() && H5Tget_class(type.get()) == expected &&
         elementCount(attribute.get()) == 1;
}

bool readFixedString(hid_t attribute, hid_t type, std::string &value) {
  size_t size = H5Tget_size(type);
  if (size == 0) return false;
  // Read with the stored type itself: a converting read to another padding
  // would cut the last character of a NUL-padded string.
  Id memoryType(H5Tcopy(type));
  std::string text(size, '\0');
  if (!memoryType.valid() || H5Aread(attribute, memoryType.get(), &text[0]) < 0) return false;
  text.resize(std::strlen(text.c_str()));
  if (H5Tget_strpad(type) == H5T_STR_SPACEPAD) {
    size_t end = text.find_last_not_of(' ');
    text.resize(end == std::string::npos ? 0 : end + 1);
  }
  value = text;
  return true;
}

bool readVariableString(hid_t attribute, hid_t type, std::string &value) {
  Id memoryType(H5Tcopy(H5T_C_S1));
  if (!memoryType.valid() || H5Tset_size(memoryType.get(), H5T_VARIABLE) < 0 ||
      H5Tset_cset(memoryType.get(), H5Tget_cset(type)) < 0) {
    return false;
  }
  char *text = nullptr;
  if (H5Aread(attribute, memoryType.get(), &text) < 0) return false;
  bool copied = false;
  try {
    value = text != nullptr ? text : "";
    copied = true;
  } catch (...) {
  }
  H5free_memory(text);
  return copied;
}

// Copies the strings out of a read list and gives the list's memory back to
// the library.
bool takeNames(std::vector<hvl_t> &list, hid_t memoryType, hid_t attribute,
               std::vector<std::string> &names) {
  bool copied = false;
  try {
    for (const hvl_t &entry : list) {
      names.emplace_back(static_cast<const char *>(entry.p), entry.len);
    }
    copied = true;
  } catch (...) {
  }
  Id space(H5Aget_space(attribute));
  bool reclaimed = space.valid() &&
                   H5Dvlen_reclaim(memoryType, space.get(), H5P_DEFAULT, list.data()) >= 0;
  return copied && reclaimed;
}

}  // namespace

bool readStringAttribute(hid_t object, const char *name, std::string &value, bool &found) {
  Id attribute, type;
  if (!openSingleValue(object, name, H5T_STRING, attribute, type, found)) return false;
  if (!found) return true;
  htri_t variable = H5Tis_variable_str(type.get());
  if (variable < 0) return false;
  return variable > 0 ? readVariableString(attribute.get(), type.get(), value)
                      : readFixedString(attribute.get(), type.get(), value);
}

bool isPlainInteger(hid_t type) {
  size_t size = H5Tget_size(type);
  return (size == 1 || size == 2 || size == 4 || size == 8) && H5Tget_precision(type) == 8 * size &&
         H5Tget_offset(type) == 0;
}

bool readCountAttribute(hid_t object, const char *name, uint64_t &value, bool &found) {
  value = 0;
  Id attribute, type;
  if (!openSingleValue(object, name, H5T_INTEGER, attribute, type, found)) return false;
  if (!found) return true;
  if (!isPlainInteger(type.get())) return false;
  int64_t number = 0;
  if (H5Aread(attribute.get(), H5T_NATIVE_INT64, &number) < 0 || number < 0) return false;
  value = static_cast<uint64_t>(number);
  return true;
}

bool readNameListAttribute(hid_t object, const char *name, std::vector<std::string> &names,
                           bool &found) {
  Id attribute;
  if (!openAttribute(object, name, attribute, found)) return false;
  if (!found) return true;
  Id type(H5Aget_type(attribute.get()));
  if (!type.valid() || H5Tget_class(type.get()) != H5T_VLEN) return false;
  Id base(H5Tget_super(type.get()));
  if (!base.valid() || H5Tget_size(base.get()) != 1) return false;
  H5T_class_t baseClass = H5Tget_class(base.get());
  if (baseClass != H5T_STRING && baseClass != H5T_INTEGER) return false;
  hssize_t count = elementCount(attribute.get());
  if (count < 0) return false;
  if (count == 0) return true;
  // The stored character type, so that the read converts nothing.
  Id memoryType(H5Tvlen_create(base.get()));
  std::vector<hvl_t> list(static_cast<size_t>(count));
  if (!memoryType.valid() || H5Aread(attribute.get(), memoryType.get(), list.data()) < 0) {
    return false;
  }
  return takeNames(list, memoryType.get(), attribute.get(), names);
}

}  // namespace mat_v73
