// The stand-in host's array: what every mxArray handle points to, and the
// C++ operations the stand-in's own libraries and tools use to build arrays.
// The deliverables never see this header; they use host/matrix.h.
#ifndef STAND_IN_HOST_LIBMX_MX_ARRAY_H
#define STAND_IN_HOST_LIBMX_MX_ARRAY_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host_types.h"
#include "matrix.h"

// The class of an array, numbered as MAT-files number them.
enum class ArrayClass : uint8_t {
  Cell = 1,
  Struct = 2,
  Object = 3,
  Char = 4,
  Sparse = 5,  // only in files; in memory a sparse array is Double or Logical with isSparse
  Double = 6,
  Single = 7,
  Int8 = 8,
  Uint8 = 9,
  Int16 = 10,
  Uint16 = 11,
  Int32 = 12,
  Uint32 = 13,
  Int64 = 14,
  Uint64 = 15,
  FunctionHandle = 16,
  Opaque = 17,
  Logical = 18,  // held as bytes; in files it is uint8 with the logical flag
};

// Bytes one element of a numeric, char or logical class takes (0 for others).
LIBMX_API size_t elementSize(ArrayClass cls);
LIBMX_API bool isNumericClass(ArrayClass cls);
LIBMX_API const char *className(ArrayClass cls);

struct mxArray_tag {
  ArrayClass cls = ArrayClass::Double;
  std::vector<size_t> dims{0, 0};  // at least two; trailing singletons beyond the second dropped
  bool isComplex = false;
  bool isGlobal = false;
  bool isSparse = false;
  bool hasData = false;  // false for an array read as a header only

  // Numeric, char and logical data: exactly elements * elementSize bytes each,
  // null when there are no elements. For sparse: nzmax values.
  void *real = nullptr;
  void *imag = nullptr;

  // Sparse: nzmax row indices and columns + 1 column starts.
  size_t nzmax = 0;
  size_t *rowIndex = nullptr;
  size_t *columnStart = nullptr;

  // Cell: one array per element, column-major. Struct and object: element i,
  // field j at i * fieldNames.size() + j. Owned; null entries are not allowed.
  std::vector<mxArray *> children;
  std::vector<std::string> fieldNames;
  std::string objectClassName;  // object, opaque object

  std::string name;  // the variable name of an array read from a MAT-file
};

namespace standin {

// Owns an array (and everything in it) until released; destroys it otherwise.
struct ArrayDeleter {
  void operator()(mxArray *array) const { mxDestroyArray(array); }
};
using ArrayPtr = std::unique_ptr<mxArray, ArrayDeleter>;

// Number of elements of the given dimensions; false if it overflows size_t.
LIBMX_API bool countElements(const std::vector<size_t> &dims, size_t &count);
// True if the number of elements of the given dimensions fits 64 bits. An
// array's shape is checked with this, so that a header reads the same on
// 32-bit and 64-bit hosts; only allocating its data needs the count to fit
// size_t.
LIBMX_API bool elementCountFits64(const std::vector<size_t> &dims);
// Drops trailing singleton dimensions beyond the second, pads to two.
LIBMX_API void normalizeDims(std::vector<size_t> &dims);
LIBMX_API size_t numberOfElements(const mxArray &array);

// Allocates exactly `bytes` bytes for array data (null for 0 bytes), not
// written; large blocks are offered to transparent huge pages, and the
// block of the last large array freed is handed out again. Throws
// std::bad_alloc when memory cannot be had. Freed with freeData.
LIBMX_API void *allocateData(size_t bytes);
// The same, zeroed: fresh pages from calloc, or a reused block cleared.
LIBMX_API void *allocateZeroedData(size_t bytes);
LIBMX_API void freeData(void *data);

// New arrays, owned by the caller until mxDestroyArray. Dimensions are
// normalized. Data is allocated at its exact size and zeroed. All of them
// throw std::bad_alloc when memory cannot be had.
LIBMX_API mxArray *createNumeric(ArrayClass cls, std::vector<size_t> dims, bool complex);
LIBMX_API mxArray *createSparse(ArrayClass cls, size_t rows, size_t columns, size_t nzmax, bool complex);
LIBMX_API mxArray *createCell(std::vector<size_t> dims);
LIBMX_API mxArray *createStruct(std::vector<size_t> dims, std::vector<std::string> fieldNames);
// An array with a class and dimensions but no data (a variable's header).
LIBMX_API mxArray *createHeader(ArrayClass cls, std::vector<size_t> dims, bool complex, bool sparse);

// The numeric class in which values of `cls` are held: Logical -> Uint8,
// Char -> Uint16, numeric classes themselves.
LIBMX_API ArrayClass storageClass(ArrayClass cls);

// Converts `count` values of class `from` at `source` into class `to` at
// `destination` (numeric classes, Logical and Char; the two may not
// overlap), as MATLAB converts between classes: integers saturate,
// floating-point values round half away from zero and NaN gives 0, doubles
// round to the nearest single (infinite beyond single's range), and logical
// is 1 for any non-zero value. False, and nothing written, for another class.
LIBMX_API bool convertValues(ArrayClass from, const void *source, ArrayClass to,
                             void *destination, size_t count);

// A deep copy of any array (numeric, char, logical, complex, sparse, cell,
// struct, object, or a header without data), with its name, global flag,
// field names and class name; owned by the caller. Throws std::bad_alloc.
LIBMX_API mxArray *duplicateArray(const mxArray &array);

// The sparse form of a full two-dimensional double or logical array (real
// or complex): its non-zero elements (NaN counts as non-zero) column by
// column, with nzmax their number (at least 1). Null for any other array.
// Owned by the caller; throws std::bad_alloc.
LIBMX_API mxArray *sparseFromFull(const mxArray &array);

}  // namespace standin

#endif
