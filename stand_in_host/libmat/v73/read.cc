#include "v73/read.h"

#include <memory>
#include <new>
#include <vector>

#include "v73/chunk_list.h"
#include "v73/describe.h"
#include "v73/hdf5_id.h"
#include "v73/shared_data.h"
#include "matrix.h"

namespace mat_v73 {

namespace {

struct ArrayDestroyer {
  void operator()(mxArray *array) const { mxDestroyArray(array); }
};
using ArrayPtr = std::unique_ptr<mxArray, ArrayDestroyer>;

// Cells and structs nested deeper than this are taken for a reference loop.
constexpr unsigned kMaxDepth = 64;

struct Context {
  unsigned depthLeft;
  uint64_t arraysLeft;
};

ArrayPtr readArray(Context &context, hid_t object, const Description &d);

// Reads a nested array (a cell element or a struct field) whole.
ArrayPtr readNested(Context &context, hid_t object) {
  if (context.depthLeft == 0 || context.arraysLeft == 0) return nullptr;
  --context.arraysLeft;
  --context.depthLeft;
  Description d;
  ArrayPtr array = describeObject(object, d) ? readArray(context, object, d) : nullptr;
  ++context.depthLeft;
  return array;
}

ArrayPtr readReferenced(Context &context, hid_t dataset, const hobj_ref_t &reference) {
  Id target(H5Rdereference2(dataset, H5P_DEFAULT, H5R_OBJECT, &reference));
  return target.valid() ? readNested(context, target.get()) : nullptr;
}

hssize_t elementCount(hid_t dataset) {
  Id space(H5Dget_space(dataset));
  return space.valid() ? H5Sget_simple_extent_npoints(space.get()) : -1;
}

// Deflate inflates a chunk to at most about 1032 times its stored size.
constexpr uint64_t kMaxInflation = 1032;

// True if the dataset has `count` elements and storage in this file that can
// hold them, checked before anything is allocated for them: a damaged
// dataspace must not make the reader allocate, or fill, more than the file
// can give.
bool holdsElements(hid_t dataset, size_t count) {
  if (elementCount(dataset) != static_cast<hssize_t>(count)) return false;
  Id type(H5Dget_type(dataset));
  Id creation(H5Dget_create_plist(dataset));
  if (!type.valid() || !creation.valid() || H5Pget_external_count(creation.get()) != 0) {
    return false;  // data in another file is not followed
  }
  size_t size = H5Tget_size(type.get());
  if (size == 0 || count > UINT64_MAX / size) return false;
  uint64_t needed = static_cast<uint64_t>(count) * size;
  hsize_t stored = H5Dget_storage_size(dataset);
  if (H5Pget_layout(creation.get()) == H5D_CHUNKED) return needed / kMaxInflation <= stored;
  return stored >= needed;
}

// Reads all of a dataset of `count` elements into `buffer` as `memoryType`;
// the library converts from the stored type.
bool readAll(hid_t dataset, size_t count, hid_t memoryType, void *buffer) {
  if (!holdsElements(dataset, count)) return false;
  if (count == 0 || leaveForReceiver(dataset, memoryType, buffer)) return true;
  if (readByChunks(dataset, memoryType, count * H5Tget_size(memoryType), buffer)) return true;
  return H5Dread(dataset, memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, buffer) >= 0;
}

// A compound memory type of the one member `part` ("real" or "imag"), so
// that a read of complex data scatters that part straight into its array.
Id partType(const char *part, ArrayClass cls) {
  Id type(H5Tcreate(H5T_COMPOUND, elementSize(cls)));
  if (!type.valid() || H5Tinsert(type.get(), part, 0, memoryTypeOf(cls)) < 0) return Id();
  return type;
}

bool readValues(hid_t dataset, size_t count, ArrayClass cls, bool complex, mxArray &array) {
  if (!complex) return readAll(dataset, count, memoryTypeOf(cls), array.real);
  Id real = partType("real", cls);
  Id imag = partType("imag", cls);
  return real.valid() && imag.valid() && readAll(dataset, count, real.get(), array.real) &&
         readAll(dataset, count, imag.get(), array.imag);
}

// Numeric, char and logical data: allocated once at its exact size and read
// straight into the array.
ArrayPtr readNumeric(hid_t dataset, const Description &d) {
  ArrayPtr array(standin::createHeader(d.cls, d.dims, d.complex, false));
  size_t count = standin::numberOfElements(*array);
  size_t size = elementSize(d.cls);
  if (size == 0 || !holdsElements(dataset, count)) return nullptr;
  if (count > SIZE_MAX / size) throw std::bad_alloc();
  array->hasData = true;
  array->real = allocateArrayData(count * size);
  if (d.complex) array->imag = allocateArrayData(count * size);
  if (!readValues(dataset, count, d.cls, d.complex, *array)) return nullptr;
  return array;
}

hid_t sizeType() { return sizeof(size_t) == 8 ? H5T_NATIVE_UINT64 : H5T_NATIVE_UINT32; }

bool isIntegerDataset(hid_t dataset) {
  Id type(H5Dget_type(dataset));
  return type.valid() && H5Tget_class(type.get()) == H5T_INTEGER;
}

// Column starts from 0 to the value count, rows below the row count and
// rising within each column.
bool isConsistentSparse(const mxArray &array, size_t count) {
  size_t rows = array.dims[0], columns = array.dims[1];
  const size_t *starts = array.columnStart;
  if (starts[0] != 0 || starts[columns] != count) return false;
  for (size_t column = 0; column < columns; ++column) {
    if (starts[column] > starts[column + 1]) return false;
    for (size_t k = starts[column]; k < starts[column + 1]; ++k) {
      if (array.rowIndex[k] >= rows) return false;
      if (k > starts[column] && array.rowIndex[k] <= array.rowIndex[k - 1]) return false;
    }
  }
  return true;
}

ArrayPtr readSparse(hid_t group, const Description &d) {
  Id starts = openMember(group, "jc");
  Id values, rows;
  hssize_t count = 0;
  htri_t hasValues = H5Lexists(group, "data", H5P_DEFAULT);
  if (hasValues < 0 || !starts.valid() || !isIntegerDataset(starts.get())) return nullptr;
  if (hasValues > 0) {
    values = openMember(group, "data");
    rows = openMember(group, "ir");
    if (!values.valid() || !rows.valid() || !isIntegerDataset(rows.get())) return nullptr;
    count = elementCount(values.get());
    if (count < 0) return nullptr;
  }
  size_t valueCount = static_cast<size_t>(count);
  if (!holdsElements(starts.get(), d.dims[1] + 1) ||
      (valueCount > 0 && (!holdsElements(values.get(), valueCount) ||
                          !holdsElements(rows.get(), valueCount)))) {
    return nullptr;
  }
  ArrayPtr array(standin::createSparse(d.cls, d.dims[0], d.dims[1], valueCount, d.complex));
  if (!readAll(starts.get(), d.dims[1] + 1, sizeType(), array->columnStart)) return nullptr;
  if (valueCount > 0 &&
      (!readAll(rows.get(), valueCount, sizeType(), array->rowIndex) ||
       !readValues(values.get(), valueCount, d.cls, d.complex, *array))) {
    return nullptr;
  }
  return isConsistentSparse(*array, valueCount) ? std::move(array) : nullptr;
}

// Each reference leads to an array of its own, so there can be no more of
// them than arrays left to build.
bool readReferences(const Context &context, hid_t dataset, size_t count,
                    std::vector<hobj_ref_t> &references) {
  if (count > context.arraysLeft || !holdsReferences(dataset) || !holdsElements(dataset, count)) {
    return false;
  }
  references.resize(count);
  return readAll(dataset, count, H5T_STD_REF_OBJ, references.data());
}

// The element count of `dims`; SIZE_MAX if it does not fit.
size_t elementsOf(const std::vector<size_t> &dims) {
  size_t count = 0;
  return standin::countElements(dims, count) ? count : SIZE_MAX;
}

ArrayPtr readCell(Context &context, hid_t dataset, const Description &d) {
  // Each element is an array to build: a cell of more is refused before
  // room is reserved for its elements.
  if (elementsOf(d.dims) > context.arraysLeft) return nullptr;
  ArrayPtr array(standin::createCell(d.dims));
  std::vector<hobj_ref_t> references;
  if (!readReferences(context, dataset, standin::numberOfElements(*array), references)) {
    return nullptr;
  }
  for (const hobj_ref_t &reference : references) {
    ArrayPtr element = readReferenced(context, dataset, reference);
    if (!element) return nullptr;
    array->children.push_back(element.release());
  }
  return array;
}

bool readScalarFields(Context &context, hid_t group, const Description &d, mxArray &array) {
  for (const std::string &field : d.fields) {
    Id member = openMember(group, field);
    ArrayPtr value = member.valid() ? readNested(context, member.get()) : nullptr;
    if (!value) return false;
    array.children.push_back(value.release());
  }
  return true;
}

// Each field is a dataset of references shaped like the struct array.
bool readFieldArrays(Context &context, hid_t group, const Description &d, mxArray &array) {
  size_t count = standin::numberOfElements(array);
  size_t fields = d.fields.size();
  std::vector<Id> members(fields);
  std::vector<std::vector<hobj_ref_t>> references(fields);
  for (size_t j = 0; j < fields; ++j) {
    members[j] = openMember(group, d.fields[j]);
    std::vector<size_t> dims;
    if (!members[j].valid() || H5Iget_type(members[j].get()) != H5I_DATASET ||
        !readExtent(members[j].get(), dims) || dims != d.dims ||
        !readReferences(context, members[j].get(), count, references[j])) {
      return false;
    }
  }
  for (size_t i = 0; i < count; ++i) {
    for (size_t j = 0; j < fields; ++j) {
      ArrayPtr value = readReferenced(context, members[j].get(), references[j][i]);
      if (!value) return false;
      array.children.push_back(value.release());
    }
  }
  return true;
}

ArrayPtr readStruct(Context &context, hid_t group, const Description &d) {
  // Each field of each element is an array to build, as for cells.
  size_t count = elementsOf(d.dims);
  if (!d.fields.empty() && count > context.arraysLeft / d.fields.size()) return nullptr;
  ArrayPtr array(standin::createStruct(d.dims, d.fields));
  array->cls = d.cls;
  if (d.cls == ArrayClass::Object) array->objectClassName = d.className;
  array->children.reserve(count * d.fields.size());
  bool read = d.layout == Layout::ScalarStruct ? readScalarFields(context, group, d, *array)
                                               : readFieldArrays(context, group, d, *array);
  return read ? std::move(array) : nullptr;
}

ArrayPtr emptyArray(const Description &d) {
  if (d.sparse) {
    if (d.dims.size() != 2 || (d.cls != ArrayClass::Double && d.cls != ArrayClass::Logical)) {
      return nullptr;
    }
    return ArrayPtr(standin::createSparse(d.cls, d.dims[0], d.dims[1], 0, false));
  }
  switch (d.cls) {
    case ArrayClass::Cell: return ArrayPtr(standin::createCell(d.dims));
    case ArrayClass::Struct: return ArrayPtr(standin::createStruct(d.dims, {}));
    default: break;
  }
  if (elementSize(d.cls) != 0) return ArrayPtr(standin::createNumeric(d.cls, d.dims, false));
  ArrayPtr array(standin::createHeader(d.cls, d.dims, false, false));
  array->hasData = true;
  array->objectClassName = d.className;
  return array;
}

// Function handles and objects: their class and dimensions.
ArrayPtr classOnlyArray(const Description &d) {
  ArrayPtr array(standin::createHeader(d.cls, d.dims, false, false));
  array->objectClassName = d.className;
  return array;
}

ArrayPtr readArray(Context &context, hid_t object, const Description &d) {
  ArrayPtr array;
  switch (d.layout) {
    case Layout::Numeric: return readNumeric(object, d);
    case Layout::Empty: return emptyArray(d);
    case Layout::Sparse: return readSparse(object, d);
    case Layout::Cell: return readCell(context, object, d);
    case Layout::ScalarStruct:
    case Layout::StructArray: return readStruct(context, object, d);
    case Layout::NoData: array = classOnlyArray(d); break;
  }
  if (array) array->hasData = true;
  return array;
}

}  // namespace

mxArray *readVariableObject(hid_t object, const std::string &name, bool whole,
                            uint64_t arrayLimit) {
  Description d;
  if (!describeObject(object, d)) return nullptr;
  Context context{kMaxDepth, arrayLimit};
  ArrayPtr array;
  if (whole) {
    array = readArray(context, object, d);
  } else {
    array.reset(standin::createHeader(d.cls, d.dims, d.complex, d.sparse));
    if (d.cls == ArrayClass::Object || d.cls == ArrayClass::Opaque) {
      array->objectClassName = d.className;
    }
  }
  if (!array) return nullptr;
  array->isGlobal = d.global;
  array->name = name;
  return array.release();
}

}  // namespace mat_v73
