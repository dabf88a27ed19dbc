// What the version 7.3 reader process sends for one variable: a plan of
// the array to build. The plan describes the array (class, dimensions,
// flags, names, and the plans of the arrays inside a cell or struct) and,
// for each block of data, where it lies: a range of the file, a list of
// stored chunks, bytes inside the plan, or bytes streamed on request. The
// process that owns the array builds it from the plan itself (array_from_
// plan.h), reading and inflating there, so that decoded data never has to
// cross from one process to the other. A plan is never trusted: whoever
// builds from it checks it against the file first.
#ifndef STAND_IN_HOST_LIBMAT_V73_PLAN_H
#define STAND_IN_HOST_LIBMAT_V73_PLAN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mx_array.h"
#include "v73/chunk_grid.h"

namespace mat_v73 {

// How the array is built.
enum class ArrayKind : uint8_t {
  HeaderOnly = 0,  // class, dimensions and flags, no data (a header read)
  Numeric = 1,     // numbers, characters or logicals: real (and imaginary) data
  Empty = 2,       // an empty array of its class
  Sparse = 3,      // column starts, row indices and values
  Cell = 4,        // one child per element
  Struct = 5,      // one child per element and field (also old-style objects)
  ClassOnly = 6,   // function handles and objects the writer encodes its own way
};

// The blocks of an array's data that sources fill.
enum class BlockRole : uint8_t { Real = 0, Imaginary = 1, RowIndex = 2, ColumnStart = 3 };

// Where a value lies in each stored element, and how it is stored: a
// number of a numeric class, in the host's byte order or the other.
struct StoredNumber {
  ArrayClass cls = ArrayClass::Double;
  bool swap = false;
  uint32_t offset = 0;  // its first byte within the element
};

// One block filled from a source, one value per stored element.
struct Target {
  BlockRole role = BlockRole::Real;
  StoredNumber number;
};

enum class SourceKind : uint8_t {
  Extent = 1,    // the elements lie one after another at `offset` in the file
  Chunks = 2,    // in the listed chunks, deflated or not
  Inline = 3,    // in `bytes`
  Streamed = 4,  // asked for separately, already in the target's form
};

struct DataSource {
  SourceKind kind = SourceKind::Extent;
  uint64_t elements = 0;     // stored elements: one per value of each target
  uint32_t elementSize = 0;  // bytes of one stored element
  uint64_t offset = 0;       // Extent
  ChunkList chunks;          // Chunks: the grid's element size is elementSize
  std::string bytes;         // Inline
  std::vector<Target> targets;
};

struct ArrayPlan {
  ArrayKind kind = ArrayKind::HeaderOnly;
  ArrayClass cls = ArrayClass::Double;
  std::vector<uint64_t> dims;  // MATLAB order, at least two
  bool complex = false;
  bool global = false;
  bool sparse = false;
  std::string name;       // the variable's name (top level only)
  std::string className;  // objects: their class
  std::vector<std::string> fields;
  uint64_t storedValues = 0;  // sparse: the number of stored elements
  // Top level, for an examination: where the variable's object lies, the
  // bytes its data takes in the file, and how it is stored in words.
  uint64_t address = 0;
  uint64_t storedBytes = 0;
  std::string storage;
  std::vector<DataSource> sources;
  std::vector<ArrayPlan> children;
};

}  // namespace mat_v73

#endif
