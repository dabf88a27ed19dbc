#include "v5/array.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/checked_arithmetic.h"
#include "common/byte_order.h"
#include "v5/containers.h"
#include "v5/stored_types.h"
#include "v5/text.h"
#include "v5/values.h"

namespace mat_v5 {

namespace {

constexpr uint32_t kComplexFlag = 0x0800;
constexpr uint32_t kGlobalFlag = 0x0400;
constexpr uint32_t kLogicalFlag = 0x0200;

struct MatrixHeader {
  ArrayClass fileClass = ArrayClass::Double;  // the class number in the file
  bool complex = false;
  bool global = false;
  bool logical = false;
  std::vector<size_t> dims;  // as stored
  std::string name;
};

// Flags, dimensions and sparse indices are stored as int32 or uint32.
bool holdsInt32s(uint32_t type) { return type == kInt32 || type == kUint32; }

// Examining: data is checked and dropped, not kept in arrays.
bool examining(const Span &span) { return span.check != nullptr; }

bool readArrayFlags(Span &body, MatrixHeader &header) {
  Tag tag;
  uint32_t words[2];
  if (!readTag(body, tag)) return false;
  if (!holdsInt32s(tag.type) || tag.nbytes != 8) {
    return fault(body, "array flags stored as %u bytes of element type %u, not two 32-bit integers",
                 tag.nbytes, tag.type);
  }
  if (!readBody(body, tag, words)) return false;
  if (body.swapBytes) byte_order::swapEach(words, 2, 4);
  uint32_t cls = words[0] & 0xFF;
  if (cls < uint32_t(ArrayClass::Cell) || cls > uint32_t(ArrayClass::Opaque)) {
    return fault(body, "unknown array class %u", cls);
  }
  header.fileClass = static_cast<ArrayClass>(cls);
  header.complex = (words[0] & kComplexFlag) != 0;
  header.global = (words[0] & kGlobalFlag) != 0;
  header.logical = (words[0] & kLogicalFlag) != 0;
  return true;
}

// Function handles and opaque objects may lack the dimensions element
// (flags, name, type name, class name, data): such an array is 1x1 and its
// name is the first text element.
bool readHandleDimensionsAndName(Span &body, MatrixHeader &header) {
  Tag tag;
  if (!readTag(body, tag)) return false;
  if (holdsInt32s(tag.type)) {
    if (!readDimensions(body, tag, header.dims) || !readTag(body, tag)) return false;
    return readText(body, tag, header.name);
  }
  header.dims = {1, 1};
  while (!isTextType(tag.type)) {
    if (!skipBody(body, tag) || !readTag(body, tag)) return false;
  }
  return readText(body, tag, header.name);
}

bool readMatrixHeader(Span &body, MatrixHeader &header) {
  if (!readArrayFlags(body, header)) return false;
  if (header.fileClass == ArrayClass::FunctionHandle || header.fileClass == ArrayClass::Opaque)
    return readHandleDimensionsAndName(body, header);
  Tag tag;
  if (!readTag(body, tag)) return false;
  if (!holdsInt32s(tag.type)) {
    return fault(body, "dimensions stored as element type %u, not as 32-bit integers", tag.type);
  }
  if (!readDimensions(body, tag, header.dims)) return false;
  if (header.fileClass == ArrayClass::Sparse && header.dims.size() != 2) {
    return fault(body, "a sparse array of %zu dimensions", header.dims.size());
  }
  return readTag(body, tag) && readText(body, tag, header.name);
}

// The class the array has in memory: sparse arrays are double or logical,
// uint8 arrays with the logical flag are logical.
ArrayClass memoryClass(const MatrixHeader &header) {
  if (header.fileClass == ArrayClass::Sparse)
    return header.logical ? ArrayClass::Logical : ArrayClass::Double;
  if (header.fileClass == ArrayClass::Uint8 && header.logical) return ArrayClass::Logical;
  return header.fileClass;
}

ArrayPtr headerArray(const MatrixHeader &header) {
  ArrayClass cls = memoryClass(header);
  bool sparse = header.fileClass == ArrayClass::Sparse;
  bool complex = header.complex && (sparse || isNumericClass(cls));
  ArrayPtr array(standin::createHeader(cls, header.dims, complex, sparse));
  array->isGlobal = header.global;
  array->name = header.name;
  return array;
}

// Data for `count` values of `size` bytes; the product is checked, since
// on a 32-bit system a file can claim more than the address space holds.
// Null when examining.
void *allocateValues(const Span &body, size_t count, size_t size) {
  if (examining(body)) return nullptr;
  size_t bytes = 0;
  if (!checked::multiply(count, size, bytes)) throw std::bad_alloc();
  return standin::allocateData(bytes);
}

// Reads the numeric element of `tag` holding exactly `count` values of
// `cls` into a buffer allocated for it once its size has been checked.
bool readTaggedValues(Span &body, const Tag &tag, ArrayClass cls, size_t count, void *&data) {
  size_t stored = 0;
  if (!countValues(body, tag, stored)) return false;
  if (stored != count) {
    return fault(body, "%zu values stored for an array of %zu elements", stored, count);
  }
  data = allocateValues(body, count, elementSize(cls));
  return readValues(body, tag, cls, count, data);
}

bool readValuesInto(Span &body, ArrayClass cls, size_t count, void *&data) {
  Tag tag;
  return readTag(body, tag) && readTaggedValues(body, tag, cls, count, data);
}

bool readNumericData(Span &body, mxArray &array) {
  size_t count = standin::numberOfElements(array);
  if (!readValuesInto(body, array.cls, count, array.real)) return false;
  return !array.isComplex || readValuesInto(body, array.cls, count, array.imag);
}

bool readCharData(Span &body, mxArray &array) {
  size_t count = standin::numberOfElements(array);
  Tag tag;
  if (!readTag(body, tag)) return false;
  if (!canHoldCharacters(tag, count)) return readCharacters(body, tag, count, nullptr);
  array.real = allocateValues(body, count, sizeof(uint16_t));
  return readCharacters(body, tag, count, static_cast<uint16_t *>(array.real));
}

// Sparse values (pr or pi): at most nzmax of them, zeros after those stored.
// MATLAB writes a sparse logical array's values as one byte each under the
// double type: for a logical array, an element whose byte count is the
// number of stored elements holds bytes, whatever numeric type it names.
bool readSparseValues(Span &body, mxArray &array, size_t nonZeros, void *&data) {
  Tag tag;
  size_t stored = 0;
  ArrayClass storedClass;
  if (!readTag(body, tag)) return false;
  if (array.cls == ArrayClass::Logical && tag.nbytes == nonZeros &&
      classOfStoredType(tag.type, storedClass)) {
    tag.type = kUint8;
  }
  if (!countValues(body, tag, stored)) return false;
  if (stored > array.nzmax) {
    return fault(body, "%zu values stored for %zu row indices", stored, array.nzmax);
  }
  size_t size = elementSize(array.cls);
  data = allocateValues(body, array.nzmax, size);
  if (data != nullptr) {
    std::memset(static_cast<unsigned char *>(data) + stored * size, 0,
                (array.nzmax - stored) * size);
  }
  return readValues(body, tag, array.cls, stored, data);
}

// The checks of a sparse array's structure, made as its row indices and
// then its column starts stream by, so that they need keep neither: the
// first column start 0, none falling, no more stored elements than row
// indices, and each stored element's row inside the array.
struct SparseStructure {
  size_t rows = 0;
  size_t storedRows = 0;
  size_t firstRowOutside = SIZE_MAX;  // the first row index beyond the rows
  size_t rowsSeen = 0;
  size_t startsSeen = 0;
  size_t lastStart = 0;
  bool startsRise = true;
  size_t fallsAt = 0;  // the column at which the starts fall

  void takeRows(const size_t *values, size_t n) {
    for (size_t i = 0; i < n && firstRowOutside == SIZE_MAX; ++i) {
      if (values[i] >= rows) firstRowOutside = rowsSeen + i;
    }
    rowsSeen += n;
  }
  void takeStarts(const size_t *values, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (startsSeen + i > 0 && values[i] < lastStart && startsRise) {
        startsRise = false;
        fallsAt = startsSeen + i - 1;
      }
      if (startsSeen + i == 0 && values[i] != 0) firstStart = values[i];
      lastStart = values[i];
    }
    startsSeen += n;
  }
  size_t firstStart = 0;

  bool holds(const Span &body, size_t &nonZeros) const {
    if (firstStart != 0) return fault(body, "the first column start is %zu, not 0", firstStart);
    if (!startsRise) return fault(body, "column starts not rising at column %zu", fallsAt);
    nonZeros = lastStart;
    if (nonZeros > storedRows) {
      return fault(body, "the column starts count %zu stored elements; there are %zu row indices",
                   nonZeros, storedRows);
    }
    if (firstRowOutside < nonZeros) {
      return fault(body, "stored element %zu has a row index beyond the array's %zu rows",
                   firstRowOutside, rows);
    }
    return true;
  }
};

// Reads ir (its tag `rowsTag` already read), jc, pr and pi if complex.
bool readSparseParts(Span &body, const Tag &rowsTag, mxArray &array) {
  Tag tag = rowsTag;
  if (!holdsInt32s(tag.type) || tag.nbytes % 4 != 0) {
    return fault(body, "row indices stored as %u bytes of element type %u", tag.nbytes, tag.type);
  }
  SparseStructure structure;
  structure.rows = array.dims[0];
  structure.storedRows = tag.nbytes / 4;
  array.nzmax = std::max<size_t>(structure.storedRows, 1);
  array.rowIndex = static_cast<size_t *>(allocateValues(body, array.nzmax, sizeof(size_t)));
  if (array.rowIndex != nullptr) array.rowIndex[array.nzmax - 1] = 0;
  size_t *rowsTo = array.rowIndex;
  if (!scanIndices(body, tag, structure.storedRows, [&](const size_t *values, size_t n) {
        structure.takeRows(values, n);
        if (rowsTo != nullptr) rowsTo = std::copy(values, values + n, rowsTo);
        return true;
      })) {
    return false;
  }

  size_t columns = array.dims[1];
  if (!readTag(body, tag)) return false;
  if (tag.nbytes % 4 != 0 || tag.nbytes / 4 == 0 || tag.nbytes / 4 - 1 != columns) {
    return fault(body, "%u bytes of column starts for %zu columns", tag.nbytes, columns);
  }
  array.columnStart = static_cast<size_t *>(allocateValues(body, columns + 1, sizeof(size_t)));
  size_t *startsTo = array.columnStart;
  size_t nonZeros = 0;
  if (!scanIndices(body, tag, columns + 1, [&](const size_t *values, size_t n) {
        structure.takeStarts(values, n);
        if (startsTo != nullptr) startsTo = std::copy(values, values + n, startsTo);
        return true;
      }) ||
      !structure.holds(body, nonZeros)) {
    return false;
  }

  if (!readSparseValues(body, array, nonZeros, array.real)) return false;
  if (array.isComplex && !readSparseValues(body, array, nonZeros, array.imag)) return false;
  if (examining(body)) array.nzmax = nonZeros;  // what an examination reports
  return true;
}

bool readSparseData(Span &body, mxArray &array) {
  Tag tag;
  return readTag(body, tag) && readSparseParts(body, tag, array);
}

// A logical array: uint8 values, or, as Octave writes sparse logical arrays
// (class uint8 with the logical flag, then ir, jc and pr as for the sparse
// class), an int32 element followed by more elements.
bool readLogicalData(Span &body, mxArray &array) {
  Tag tag;
  if (!readTag(body, tag)) return false;
  if (holdsInt32s(tag.type) && body.left > 0 && array.dims.size() == 2) {
    array.isSparse = true;
    array.isComplex = false;
    return readSparseParts(body, tag, array);
  }
  return readTaggedValues(body, tag, array.cls, standin::numberOfElements(array), array.real);
}

// The contents of function handles and opaque objects are the writer's own
// encoding; they are passed over.
bool skipRest(Span &body) {
  if (!body.in->skip(body.left)) return false;
  body.left = 0;
  return true;
}

bool readData(Span &body, const MatrixHeader &header, mxArray &array, int depth) {
  switch (header.fileClass) {
    case ArrayClass::Cell: return readCellData(body, array, depth);
    case ArrayClass::Struct: return readStructData(body, array, depth);
    case ArrayClass::Object: return readObjectData(body, array, depth);
    case ArrayClass::Char: return readCharData(body, array);
    case ArrayClass::Sparse: return readSparseData(body, array);
    case ArrayClass::FunctionHandle:
    case ArrayClass::Opaque: return skipRest(body);
    default:
      return array.cls == ArrayClass::Logical ? readLogicalData(body, array)
                                              : readNumericData(body, array);
  }
}

}  // namespace

ArrayPtr readMatrix(Span &body, bool whole, int depth) {
  MatrixHeader header;
  if (depth > kMaxDepth) {
    fault(body, "arrays nested deeper than %d", kMaxDepth);
    return nullptr;
  }
  if (!readMatrixHeader(body, header)) return nullptr;
  if (!standin::elementCountFits64(header.dims)) {
    fault(body, "dimensions whose product exceeds 2^64 elements");
    return nullptr;
  }
  ArrayPtr array = headerArray(header);
  if (!whole) return array;
  array->hasData = true;
  if (!readData(body, header, *array, depth)) return nullptr;
  return array;
}

}  // namespace mat_v5
