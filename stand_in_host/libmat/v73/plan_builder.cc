#include "v73/plan_builder.h"

#include <hdf5.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "common/byte_order.h"
#include "common/checked_arithmetic.h"
#include "common/inflater.h"
#include "v73/chunk_list.h"
#include "v73/describe.h"
#include "v73/file_driver.h"
#include "v73/hdf5_id.h"

namespace mat_v73 {

namespace {

// Cells and structs nested deeper than this are taken for a reference loop.
constexpr unsigned kMaxDepth = 64;
// Data that the plan cannot describe by where it lies is read by libhdf5:
// up to this many bytes inside the plan, more as a streamed source.
constexpr uint64_t kInlineLimit = uint64_t(64) << 10;
// Streamed sources are read in pieces of about this size.
constexpr uint64_t kStreamPiece = uint64_t(8) << 20;

// libhdf5 prints its error stack on standard error by default, also from
// its clean-up at process exit. Failures are reported by results only, so
// printing is switched off before the first call, for good.
void silenceLibraryErrors() {
  static const bool silenced = H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr) >= 0;
  (void)silenced;
}

bool isVariableName(const std::string &name) { return name != "#refs#" && name != "#subsystem#"; }

// A file whose each array needs its own object header cannot hold more
// arrays than this; a read that builds more is following shared or looping
// references.
uint64_t arrayLimitFor(uint64_t fileSize) { return fileSize / 16 + 1024; }

// Row indices and column starts are held as size_t.
ArrayClass indexClass() { return sizeof(size_t) == 8 ? ArrayClass::Uint64 : ArrayClass::Uint32; }

// A stored number of a standard type: its class and byte order.
bool standardNumber(hid_t type, StoredNumber &number) {
  struct Standard {
    hid_t type;
    ArrayClass cls;
    bool bigEndian;
  };
  const Standard standards[] = {
      {H5T_IEEE_F64LE, ArrayClass::Double, false}, {H5T_IEEE_F64BE, ArrayClass::Double, true},
      {H5T_IEEE_F32LE, ArrayClass::Single, false}, {H5T_IEEE_F32BE, ArrayClass::Single, true},
      {H5T_STD_I8LE, ArrayClass::Int8, false},     {H5T_STD_I8BE, ArrayClass::Int8, true},
      {H5T_STD_U8LE, ArrayClass::Uint8, false},    {H5T_STD_U8BE, ArrayClass::Uint8, true},
      {H5T_STD_I16LE, ArrayClass::Int16, false},   {H5T_STD_I16BE, ArrayClass::Int16, true},
      {H5T_STD_U16LE, ArrayClass::Uint16, false},  {H5T_STD_U16BE, ArrayClass::Uint16, true},
      {H5T_STD_I32LE, ArrayClass::Int32, false},   {H5T_STD_I32BE, ArrayClass::Int32, true},
      {H5T_STD_U32LE, ArrayClass::Uint32, false},  {H5T_STD_U32BE, ArrayClass::Uint32, true},
      {H5T_STD_I64LE, ArrayClass::Int64, false},   {H5T_STD_I64BE, ArrayClass::Int64, true},
      {H5T_STD_U64LE, ArrayClass::Uint64, false},  {H5T_STD_U64BE, ArrayClass::Uint64, true},
  };
  for (const Standard &standard : standards) {
    if (H5Tequal(type, standard.type) > 0) {
      number.cls = standard.cls;
      number.swap = standard.bigEndian != byte_order::hostIsBigEndian();
      return true;
    }
  }
  return false;
}

bool memberNumber(hid_t compound, const char *name, StoredNumber &number) {
  int index = H5Tget_member_index(compound, name);
  if (index < 0) return false;
  Id member(H5Tget_member_type(compound, static_cast<unsigned>(index)));
  size_t offset = H5Tget_member_offset(compound, static_cast<unsigned>(index));
  if (!member.valid() || !standardNumber(member.get(), number) || offset > UINT32_MAX) return false;
  number.offset = static_cast<uint32_t>(offset);
  return true;
}

// How the numbers of a dataset are stored: one standard number per element,
// or a compound of a real and an imaginary one. False for anything else,
// which libhdf5 then converts.
bool storedNumbers(hid_t dataset, bool complex, uint32_t &elementSize, StoredNumber numbers[2]) {
  Id type(H5Dget_type(dataset));
  if (!type.valid()) return false;
  size_t size = H5Tget_size(type.get());
  if (size == 0 || size > 64) return false;
  elementSize = static_cast<uint32_t>(size);
  if (!complex) {
    numbers[0].offset = 0;
    return standardNumber(type.get(), numbers[0]);
  }
  return H5Tget_class(type.get()) == H5T_COMPOUND && memberNumber(type.get(), "real", numbers[0]) &&
         memberNumber(type.get(), "imag", numbers[1]);
}

hssize_t elementCount(hid_t dataset) {
  Id space(H5Dget_space(dataset));
  return space.valid() ? H5Sget_simple_extent_npoints(space.get()) : -1;
}

// True if the dataset has `count` elements and storage in this file that can
// hold them, checked before anything is planned or allocated for them: a
// damaged dataspace must not make anyone allocate, or fill, more than the
// file can give.
bool holdsElements(hid_t dataset, uint64_t count) {
  if (elementCount(dataset) != static_cast<hssize_t>(count)) return false;
  Id type(H5Dget_type(dataset));
  Id creation(H5Dget_create_plist(dataset));
  if (!type.valid() || !creation.valid() || H5Pget_external_count(creation.get()) != 0) {
    return false;  // data in another file is not followed
  }
  H5D_layout_t layout = H5Pget_layout(creation.get());
  if (layout != H5D_CONTIGUOUS && layout != H5D_CHUNKED && layout != H5D_COMPACT) return false;
  uint64_t needed = 0;
  if (!checked::multiply(static_cast<uint64_t>(count), H5Tget_size(type.get()), needed)) {
    return false;
  }
  hsize_t stored = H5Dget_storage_size(dataset);
  if (layout == H5D_CHUNKED) return needed / kMaxInflation <= stored;
  return stored >= needed;
}

// A compound memory type of the one member `part` ("real" or "imag"), so
// that a read of complex data takes that part alone.
Id partType(const char *part, hid_t number) {
  Id type(H5Tcreate(H5T_COMPOUND, H5Tget_size(number)));
  if (!type.valid() || H5Tinsert(type.get(), part, 0, number) < 0) return Id();
  return type;
}

// A pending streamed source: the dataset and the memory type it is read as.
struct Stream {
  Id dataset;
  Id memoryType;
  uint64_t bytes = 0;
};

struct Context {
  unsigned depthLeft;
  uint64_t arraysLeft;
  std::vector<Stream> *streams;
  std::string *why;  // the first reason a plan fails

  // Records the reason (the first one kept) and fails.
  bool fail(const char *reason) {
    if (why->empty()) *why = reason;
    return false;
  }
};

// The values of `cls` a target block holds, as a number in memory form.
StoredNumber memoryNumber(ArrayClass cls) {
  StoredNumber number;
  number.cls = standin::storageClass(cls);
  return number;
}

// Reads data libhdf5 must convert: small data into the plan, larger data
// as a streamed source read when asked for.
bool planConverted(Context &context, hid_t dataset, uint64_t count, ArrayClass cls,
                   const char *part, BlockRole role, std::vector<DataSource> &sources) {
  hid_t number = memoryTypeOf(cls);
  Id memoryType = part != nullptr ? partType(part, number) : Id(H5Tcopy(number));
  uint64_t bytes = 0;
  if (!memoryType.valid() || !checked::multiply(count, elementSize(cls), bytes)) return false;
  DataSource source;
  source.elements = count;
  source.elementSize = static_cast<uint32_t>(elementSize(cls));
  source.targets.push_back({role, memoryNumber(cls)});
  if (bytes <= kInlineLimit) {
    source.kind = SourceKind::Inline;
    source.bytes.assign(static_cast<size_t>(bytes), '\0');
    if (H5Dread(dataset, memoryType.get(), H5S_ALL, H5S_ALL, H5P_DEFAULT, &source.bytes[0]) < 0) {
      return context.fail("libhdf5 cannot read its data");
    }
  } else {
    source.kind = SourceKind::Streamed;
    source.offset = context.streams->size();
    if (H5Iinc_ref(dataset) < 0) return false;
    Stream stream;
    stream.dataset = Id(dataset);
    stream.memoryType = std::move(memoryType);
    stream.bytes = bytes;
    context.streams->push_back(std::move(stream));
  }
  sources.push_back(std::move(source));
  return true;
}

// Plans the data of `dataset`, `count` elements, as values of `cls` for
// the block `role` (and, complex, the imaginary block too).
bool planData(Context &context, hid_t dataset, uint64_t count, ArrayClass cls, bool complex,
              BlockRole role, std::vector<DataSource> &sources) {
  if (!holdsElements(dataset, count)) {
    return context.fail("its dataspace and storage cannot hold the elements it claims");
  }
  if (count == 0) return true;
  DataSource source;
  StoredNumber numbers[2];
  Id creation(H5Dget_create_plist(dataset));
  if (!creation.valid()) return false;
  H5D_layout_t layout = H5Pget_layout(creation.get());
  const char *indexFault = "its chunk index does not match its chunk grid";
  if (storedNumbers(dataset, complex, source.elementSize, numbers)) {
    uint64_t bytes = 0;
    if (!checked::multiply(count, source.elementSize, bytes)) return false;
    source.elements = count;
    source.targets.push_back({role, numbers[0]});
    if (complex) source.targets.push_back({BlockRole::Imaginary, numbers[1]});
    haddr_t offset = layout == H5D_CONTIGUOUS ? H5Dget_offset(dataset) : HADDR_UNDEF;
    if (offset != HADDR_UNDEF && H5Dget_storage_size(dataset) == bytes) {
      source.kind = SourceKind::Extent;
      source.offset = offset;
      sources.push_back(std::move(source));
      return true;
    }
    if (layout == H5D_CHUNKED && listChunks(dataset, source.elementSize, bytes, source.chunks)) {
      // Every place of the grid holds a stored chunk: the index must hold no more.
      if (!chunkIndexHolds(dataset, source.chunks.chunks.size())) return context.fail(indexFault);
      source.kind = SourceKind::Chunks;
      sources.push_back(std::move(source));
      return true;
    }
  }
  if (layout == H5D_CHUNKED && !chunkIndexFitsGrid(dataset)) return context.fail(indexFault);
  if (!complex) return planConverted(context, dataset, count, cls, nullptr, role, sources);
  return planConverted(context, dataset, count, cls, "real", role, sources) &&
         planConverted(context, dataset, count, cls, "imag", BlockRole::Imaginary, sources);
}

bool planArray(Context &context, hid_t object, const Description &d, ArrayPlan &plan);

// A nested array (a cell element or a struct field), planned whole.
bool planNested(Context &context, hid_t object, ArrayPlan &plan) {
  if (context.depthLeft == 0 || context.arraysLeft == 0) {
    return context.fail("cells and structs nested deeper, or more arrays, than the file can hold");
  }
  --context.arraysLeft;
  --context.depthLeft;
  Description d;
  bool described = describeObject(object, d);
  if (!described) context.fail("a cell element or struct field is not an array that can be described");
  bool planned = described && planArray(context, object, d, plan);
  ++context.depthLeft;
  return planned;
}

bool planReferenced(Context &context, hid_t dataset, const hobj_ref_t &reference,
                    ArrayPlan &plan) {
  Id target(H5Rdereference2(dataset, H5P_DEFAULT, H5R_OBJECT, &reference));
  if (!target.valid()) return context.fail("a reference of a cell or struct leads nowhere");
  return planNested(context, target.get(), plan);
}

// The element count of `dims`; false if it does not fit.
bool elementsOf(const std::vector<size_t> &dims, uint64_t &count) {
  return checked::product(dims, count);
}

// Each reference leads to an array of its own, so there can be no more of
// them than arrays left to build.
bool readReferences(const Context &context, hid_t dataset, uint64_t count,
                    std::vector<hobj_ref_t> &references) {
  if (count > context.arraysLeft || !holdsReferences(dataset) || !holdsElements(dataset, count)) {
    return false;
  }
  references.resize(static_cast<size_t>(count));
  return count == 0 ||
         H5Dread(dataset, H5T_STD_REF_OBJ, H5S_ALL, H5S_ALL, H5P_DEFAULT, references.data()) >= 0;
}

bool readReferences(Context &context, hid_t dataset, uint64_t count,
                    std::vector<hobj_ref_t> &references) {
  return readReferences(static_cast<const Context &>(context), dataset, count, references) ||
         context.fail("its references cannot be read, or more than the file can hold");
}

bool planCell(Context &context, hid_t dataset, ArrayPlan &plan) {
  uint64_t count = 0;
  std::vector<hobj_ref_t> references;
  if (!checked::product(plan.dims, count)) return context.fail("its dimensions overflow");
  if (!readReferences(context, dataset, count, references)) return false;
  plan.children.resize(references.size());
  for (size_t i = 0; i < references.size(); ++i) {
    if (!planReferenced(context, dataset, references[i], plan.children[i])) return false;
  }
  return true;
}

bool planScalarFields(Context &context, hid_t group, const Description &d, ArrayPlan &plan) {
  plan.children.resize(d.fields.size());
  for (size_t j = 0; j < d.fields.size(); ++j) {
    Id member = openMember(group, d.fields[j]);
    if (!member.valid()) return context.fail("a field of the struct cannot be opened");
    if (!planNested(context, member.get(), plan.children[j])) return false;
  }
  return true;
}

// Each field is a dataset of references shaped like the struct array.
bool planFieldArrays(Context &context, hid_t group, const Description &d, ArrayPlan &plan,
                     uint64_t count) {
  size_t fields = d.fields.size();
  std::vector<Id> members(fields);
  std::vector<std::vector<hobj_ref_t>> references(fields);
  for (size_t j = 0; j < fields; ++j) {
    members[j] = openMember(group, d.fields[j]);
    std::vector<size_t> dims;
    if (!members[j].valid() || H5Iget_type(members[j].get()) != H5I_DATASET ||
        !readExtent(members[j].get(), dims) || dims != d.dims) {
      return context.fail("a field of the struct array is not a dataset of its shape");
    }
    if (!readReferences(context, members[j].get(), count, references[j])) return false;
  }
  plan.children.resize(static_cast<size_t>(count * fields));
  for (uint64_t i = 0; i < count; ++i) {
    for (size_t j = 0; j < fields; ++j) {
      if (!planReferenced(context, members[j].get(), references[j][i],
                          plan.children[i * fields + j])) {
        return false;
      }
    }
  }
  return true;
}

bool planStruct(Context &context, hid_t group, const Description &d, ArrayPlan &plan) {
  // Each field of each element is an array to build: a struct of more than
  // the arrays left is refused before anything is reserved for it.
  uint64_t count = 0, children = 0;
  if (!elementsOf(d.dims, count) || !checked::multiply(count, d.fields.size(), children) ||
      children > context.arraysLeft) {
    return context.fail("the struct has more fields of elements than the file can hold");
  }
  plan.fields = d.fields;
  return d.layout == Layout::ScalarStruct ? planScalarFields(context, group, d, plan)
                                          : planFieldArrays(context, group, d, plan, count);
}

bool isIntegerDataset(hid_t object) {
  if (H5Iget_type(object) != H5I_DATASET) return false;
  Id type(H5Dget_type(object));
  return type.valid() && H5Tget_class(type.get()) == H5T_INTEGER;
}

bool planSparse(Context &context, hid_t group, ArrayPlan &plan) {
  Id starts = openMember(group, "jc");
  htri_t hasValues = H5Lexists(group, "data", H5P_DEFAULT);
  if (hasValues < 0 || !starts.valid() || !isIntegerDataset(starts.get())) {
    return context.fail("its column starts (jc) are missing or not integers");
  }
  uint64_t columns = plan.dims[1];
  if (!planData(context, starts.get(), columns + 1, indexClass(), false, BlockRole::ColumnStart,
                plan.sources)) {
    return false;
  }
  if (hasValues == 0) return true;
  Id values = openMember(group, "data");
  Id rows = openMember(group, "ir");
  if (!values.valid() || !rows.valid() || H5Iget_type(values.get()) != H5I_DATASET ||
      !isIntegerDataset(rows.get())) {
    return context.fail("its values (data) or row indices (ir) are missing or not integers");
  }
  hssize_t count = elementCount(values.get());
  if (count < 0) return false;
  plan.storedValues = static_cast<uint64_t>(count);
  return planData(context, rows.get(), plan.storedValues, indexClass(), false, BlockRole::RowIndex,
                  plan.sources) &&
         planData(context, values.get(), plan.storedValues, plan.cls, plan.complex,
                  BlockRole::Real, plan.sources);
}

bool planArray(Context &context, hid_t object, const Description &d, ArrayPlan &plan) {
  plan.cls = d.cls;
  plan.dims.assign(d.dims.begin(), d.dims.end());
  plan.complex = d.complex;
  plan.sparse = d.sparse;
  if (d.cls == ArrayClass::Object || d.cls == ArrayClass::Opaque ||
      d.cls == ArrayClass::FunctionHandle) {
    plan.className = d.className;
  }
  uint64_t count = 0;
  switch (d.layout) {
    case Layout::Numeric:
      plan.kind = ArrayKind::Numeric;
      return elementsOf(d.dims, count) &&
             planData(context, object, count, d.cls, d.complex, BlockRole::Real, plan.sources);
    case Layout::Empty:
      plan.kind = ArrayKind::Empty;
      plan.complex = false;
      return true;
    case Layout::Sparse:
      plan.kind = ArrayKind::Sparse;
      return planSparse(context, object, plan);
    case Layout::Cell:
      plan.kind = ArrayKind::Cell;
      return planCell(context, object, plan);
    case Layout::ScalarStruct:
    case Layout::StructArray:
      plan.kind = ArrayKind::Struct;
      return planStruct(context, object, d, plan);
    case Layout::NoData:
      plan.kind = ArrayKind::ClassOnly;
      return true;
  }
  return false;
}

bool readStreamPieces(const Stream &stream, const std::function<bool(const void *, size_t)> &take) {
  Id space(H5Dget_space(stream.dataset.get()));
  if (!space.valid()) return false;
  size_t size = H5Tget_size(stream.memoryType.get());
  int rank = H5Sget_simple_extent_ndims(space.get());
  hsize_t dims[H5S_MAX_RANK];
  if (size == 0 || rank < 0 || H5Sget_simple_extent_dims(space.get(), dims, nullptr) != rank) {
    return false;
  }
  // Pieces of whole rows along the slowest dimension.
  uint64_t rowBytes = size;
  for (int i = 1; i < rank; ++i) rowBytes *= dims[i];
  hsize_t rows = rank > 0 ? dims[0] : 1;
  hsize_t rowsPerPiece = std::max<uint64_t>(1, kStreamPiece / std::max<uint64_t>(rowBytes, 1));
  std::vector<unsigned char> piece;
  for (hsize_t first = 0; first < rows; first += rowsPerPiece) {
    hsize_t taken = std::min(rowsPerPiece, rows - first);
    uint64_t bytes = taken * rowBytes;
    piece.resize(static_cast<size_t>(bytes));
    Id fileSpace(H5Scopy(space.get()));
    hsize_t start[H5S_MAX_RANK] = {}, count[H5S_MAX_RANK];
    for (int i = 0; i < rank; ++i) count[i] = dims[i];
    if (rank > 0) {
      start[0] = first;
      count[0] = taken;
    }
    hsize_t memoryCount = bytes / size;
    Id memorySpace(H5Screate_simple(1, &memoryCount, nullptr));
    if (!fileSpace.valid() || !memorySpace.valid() ||
        (rank > 0 && H5Sselect_hyperslab(fileSpace.get(), H5S_SELECT_SET, start, nullptr, count,
                                         nullptr) < 0) ||
        H5Dread(stream.dataset.get(), stream.memoryType.get(), memorySpace.get(), fileSpace.get(),
                H5P_DEFAULT, piece.data()) < 0 ||
        !take(piece.data(), piece.size())) {
      return false;
    }
  }
  return true;
}

// How a dataset's data is stored, in words: its layout, chunks and filters.
std::string storageOf(hid_t object) {
  if (H5Iget_type(object) != H5I_DATASET) return "HDF5 group";
  Id creation(H5Dget_create_plist(object));
  if (!creation.valid()) return "HDF5 dataset";
  switch (H5Pget_layout(creation.get())) {
    case H5D_COMPACT: return "HDF5 compact";
    case H5D_CONTIGUOUS: return "HDF5 contiguous";
    case H5D_CHUNKED: break;
    default: return "HDF5 dataset of another layout";
  }
  std::string storage = "HDF5 chunked";
  hsize_t chunk[H5S_MAX_RANK];
  int rank = H5Pget_chunk(creation.get(), H5S_MAX_RANK, chunk);
  for (int i = rank - 1; i >= 0; --i) {  // MATLAB's order
    storage += (i == rank - 1 ? " " : "x") + std::to_string(chunk[i]);
  }
  int filters = H5Pget_nfilters(creation.get());
  for (int i = 0; i < filters; ++i) {
    unsigned flags = 0, config = 0;
    size_t values = 0;
    char name[64] = {0};
    H5Z_filter_t filter = H5Pget_filter2(creation.get(), static_cast<unsigned>(i), &flags,
                                         &values, nullptr, sizeof name, name, &config);
    storage += i == 0 ? ", " : "+";
    storage += filter == H5Z_FILTER_DEFLATE ? std::string("deflate")
               : filter == H5Z_FILTER_SHUFFLE ? std::string("shuffle")
               : name[0] != 0 ? std::string(name) : "filter " + std::to_string(filter);
  }
  return storage;
}

void describeStorage(hid_t object, ArrayPlan &plan) {
  H5O_info_t info;
  if (H5Oget_info2(object, &info, H5O_INFO_BASIC) >= 0) plan.address = info.addr;
  if (H5Iget_type(object) == H5I_DATASET) plan.storedBytes = H5Dget_storage_size(object);
  plan.storage = storageOf(object);
}

}  // namespace

struct PlanBuilder::State {
  int64_t file = -1;
  std::string path;
  std::string why;
  uint64_t arrayLimit = 0;
  bool listed = false;
  std::vector<std::string> names;
  std::vector<Stream> streams;  // of the last plan
};

PlanBuilder::PlanBuilder() : state_(new State) {}

PlanBuilder::~PlanBuilder() { close(); }

bool PlanBuilder::open(const char *path, bool forExamination) {
  silenceLibraryErrors();
  close();
  state_->path = path;
  // Semi-strict closing: closing the file fails while any object in it is
  // still open, so a leaked identifier shows as a failed close.
  Id access(H5Pcreate(H5P_FILE_ACCESS));
  if (!access.valid() || H5Pset_fclose_degree(access.get(), H5F_CLOSE_SEMI) < 0 ||
      !useFileDriver(access.get())) {
    return false;
  }
  // An examination opens a file cut short as far as it goes (what lies
  // beyond its end reads as zero bytes): libhdf5's own switch for that is a
  // property of its file access lists that only its tools set.
  hbool_t skipEndCheck = 1;
  if (forExamination && H5Pexist(access.get(), "skip_eof_check") > 0) {
    H5Pset(access.get(), "skip_eof_check", &skipEndCheck);
  }
  hid_t file = H5Fopen(path, H5F_ACC_RDONLY, access.get());
  if (file < 0) return false;
  state_->file = file;
  int descriptor = -1;
  uint64_t fileSize = 0;
  if (!openFileOf(file, descriptor, fileSize)) return false;
  state_->arrayLimit = arrayLimitFor(fileSize);
  state_->names.clear();
  state_->listed = listMemberNames(file, state_->names);
  state_->names.erase(std::remove_if(state_->names.begin(), state_->names.end(),
                                     [](const std::string &name) { return !isVariableName(name); }),
                      state_->names.end());
  return true;
}

bool PlanBuilder::close() {
  state_->streams.clear();
  if (state_->file < 0) return true;
  herr_t status = H5Fclose(state_->file);
  state_->file = -1;
  return status >= 0;
}

bool PlanBuilder::directory(std::vector<std::string> &names) const {
  if (state_->file < 0 || !state_->listed) return false;
  names = state_->names;
  return true;
}

bool PlanBuilder::plan(uint64_t index, bool whole, ArrayPlan &plan) {
  state_->streams.clear();
  state_->why.clear();
  plan = ArrayPlan();
  if (state_->file < 0 || !state_->listed || index >= state_->names.size()) {
    state_->why = "there is no such variable";
    return false;
  }
  const std::string &name = state_->names[static_cast<size_t>(index)];
  Id object = openMember(state_->file, name);
  Description d;
  if (!object.valid()) {
    state_->why = "its object cannot be opened";
    return false;
  }
  if (!describeObject(object.get(), d)) {
    state_->why = "its MATLAB attributes and shape do not describe an array";
    return false;
  }
  describeStorage(object.get(), plan);
  bool planned = false;
  try {
    if (whole) {
      Context context{kMaxDepth, state_->arrayLimit, &state_->streams, &state_->why};
      planned = planArray(context, object.get(), d, plan);
    } else {
      plan.kind = ArrayKind::HeaderOnly;
      plan.cls = d.cls;
      plan.dims.assign(d.dims.begin(), d.dims.end());
      plan.complex = d.complex;
      plan.sparse = d.sparse;
      if (d.cls == ArrayClass::Object || d.cls == ArrayClass::Opaque) plan.className = d.className;
      planned = true;
    }
  } catch (const std::length_error &) {
    planned = false;  // more elements than a vector can hold
  }
  if (!planned) {
    state_->streams.clear();
    if (state_->why.empty()) state_->why = "libhdf5 cannot describe it";
    return false;
  }
  plan.global = d.global;
  plan.name = name;
  return true;
}

bool PlanBuilder::readStream(uint64_t stream, uint64_t bytes,
                             const std::function<bool(const void *, size_t)> &take) {
  if (stream >= state_->streams.size() || state_->streams[stream].bytes != bytes) return false;
  return readStreamPieces(state_->streams[stream], take);
}

bool PlanBuilder::readStreamInto(uint64_t stream, void *destination, uint64_t bytes) {
  if (stream >= state_->streams.size() || state_->streams[stream].bytes != bytes) return false;
  const Stream &s = state_->streams[stream];
  return H5Dread(s.dataset.get(), s.memoryType.get(), H5S_ALL, H5S_ALL, H5P_DEFAULT,
                 destination) >= 0;
}

}  // namespace mat_v73

namespace mat_v73 {

const std::string &PlanBuilder::failure() const { return state_->why; }

bool PlanBuilder::salvage(const std::vector<std::string> &names, const char *outPath,
                          std::string &why) {
  constexpr hsize_t kUserBlock = 512;
  constexpr size_t kHeaderBytes = 128;
  Id creation(H5Pcreate(H5P_FILE_CREATE));
  Id copying(H5Pcreate(H5P_OBJECT_COPY));
  if (state_->file < 0 || !creation.valid() || !copying.valid() ||
      H5Pset_userblock(creation.get(), kUserBlock) < 0 ||
      // What cells and structs refer to goes with them.
      H5Pset_copy_object(copying.get(), H5O_COPY_EXPAND_REFERENCE_FLAG) < 0) {
    why = "libhdf5 cannot set up the copy";
    return false;
  }
  hid_t out = H5Fcreate(outPath, H5F_ACC_TRUNC, creation.get(), H5P_DEFAULT);
  if (out < 0) {
    why = "libhdf5 cannot create the salvaged file";
    return false;
  }
  bool copied = true;
  for (const std::string &name : names) {
    if (openMember(state_->file, name).valid() &&
        H5Ocopy(state_->file, name.c_str(), out, name.c_str(), copying.get(), H5P_DEFAULT) >= 0) {
      continue;
    }
    why = "libhdf5 cannot copy the variable " + name;
    copied = false;
    break;
  }
  // libhdf5 links what it copied for the references into the root group, as
  // "~obj_pointed_by_N"; in a MAT-file that belongs in "#refs#", where
  // readers do not take it for a variable. References go by address, so
  // moving the links leaves them pointing right.
  std::vector<std::string> rootNames;
  if (copied && listMemberNames(out, rootNames)) {
    std::vector<std::string> pointed;
    for (const std::string &name : rootNames) {
      if (name.compare(0, 16, "~obj_pointed_by_") == 0) pointed.push_back(name);
    }
    if (!pointed.empty()) {
      Id refs(H5Gcreate2(out, "#refs#", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
      for (const std::string &name : pointed) {
        if (!refs.valid() ||
            H5Lmove(out, name.c_str(), refs.get(), name.c_str(), H5P_DEFAULT, H5P_DEFAULT) < 0) {
          why = "libhdf5 cannot gather what the variables refer to";
          copied = false;
          break;
        }
      }
    }
  }
  copied = H5Fclose(out) >= 0 && copied;
  if (!copied) {
    if (why.empty()) why = "libhdf5 cannot finish the salvaged file";
    return false;
  }
  // The MAT-file header, as this file has it, at the start of the user block.
  char header[kHeaderBytes];
  FILE *from = std::fopen(state_->path.c_str(), "rb");
  FILE *to = std::fopen(outPath, "r+b");
  bool headed = from != nullptr && to != nullptr &&
                std::fread(header, 1, sizeof header, from) == sizeof header &&
                std::fwrite(header, 1, sizeof header, to) == sizeof header;
  if (from != nullptr) std::fclose(from);
  if (to != nullptr && std::fclose(to) != 0) headed = false;
  if (!headed) why = "the MAT-file header cannot be written";
  return headed;
}

}  // namespace mat_v73
