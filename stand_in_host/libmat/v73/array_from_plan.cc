#include "v73/array_from_plan.h"

#include <vector>

#include "common/checked_arithmetic.h"
#include "common/inflater.h"
#include "common/text_format.h"
#include "v73/data_filling.h"

namespace mat_v73 {

namespace {

using standin::ArrayPtr;

constexpr unsigned kMaxDepth = 64;
constexpr size_t kMaxDims = 64;

struct Building {
  const FileBytes &file;
  PlanSource &streams;
  uint64_t arraysLeft;
  DataFault *examined;  // examining: failures say why
  bool discarding;      // examining: arrays get no data

  // Records why the plan does not hold together (the first reason kept).
  ArrayPtr refuse(const char *why) {
    if (examined != nullptr && examined->why.empty()) examined->why = why;
    return nullptr;
  }
};

// Sparse indices an examination keeps, to check a sparse array's structure.
constexpr uint64_t kExaminedIndexBytes = uint64_t(16) << 20;

unsigned roleBit(BlockRole role) { return 1u << static_cast<unsigned>(role); }

ArrayClass indexClass() { return sizeof(size_t) == 8 ? ArrayClass::Uint64 : ArrayClass::Uint32; }

// True if the source's bytes can be had from the file (or lie in the plan)
// without allocating more than the file can back.
bool isBacked(const DataSource &source, const FileBytes &file) {
  uint64_t bytes = 0;
  if (!checked::multiply(source.elements, source.elementSize, bytes)) return false;
  switch (source.kind) {
    case SourceKind::Extent: return file.holds(source.offset, bytes);
    case SourceKind::Chunks: return isSoundChunkList(source.chunks, bytes, file.size());
    case SourceKind::Inline: return source.bytes.size() == bytes;
    case SourceKind::Streamed: return bytes / kMaxInflation <= file.size() + kInflationSlack;
  }
  return false;
}

// Checks that the sources fill exactly the blocks in `required` (each once)
// with `count` values each (`indices` values for column starts), all
// backed by the file.
bool sourcesFit(const ArrayPlan &plan, unsigned required, uint64_t values, uint64_t columnStarts,
                const FileBytes &file, DataFault *examined) {
  unsigned filled = 0;
  for (const DataSource &source : plan.sources) {
    if (!isBacked(source, file)) {
      if (examined != nullptr && source.kind == SourceKind::Extent) {
        examined->why = formatText("its data (%llu elements of %u bytes at offset 0x%llX) runs "
                                   "past the end of the file",
                                   ull(source.elements), source.elementSize, ull(source.offset));
        examined->placed = true;
        examined->at = source.offset;
      }
      return false;
    }
    for (const Target &target : source.targets) {
      unsigned bit = roleBit(target.role);
      uint64_t expected = target.role == BlockRole::ColumnStart ? columnStarts : values;
      if ((filled & bit) != 0 || source.elements != expected) return false;
      filled |= bit;
    }
  }
  return filled == required;
}

bool fillAll(Building &building, const ArrayPlan &plan, ArrayBlocks &blocks) {
  for (const DataSource &source : plan.sources) {
    if (!fillFromSource(source, blocks, building.file, building.streams, building.examined,
                        building.discarding)) {
      building.refuse("its data does not fit its description or the file");
      return false;
    }
  }
  return true;
}

bool hasShape(const ArrayPlan &plan, uint64_t &count) {
  return plan.dims.size() >= 2 && plan.dims.size() <= kMaxDims &&
         checked::product(plan.dims, count) && count <= SIZE_MAX;
}

std::vector<size_t> dimsOf(const ArrayPlan &plan) {
  return std::vector<size_t>(plan.dims.begin(), plan.dims.end());
}

ArrayPtr buildNumeric(Building &building, const ArrayPlan &plan, uint64_t count) {
  size_t size = elementSize(plan.cls);
  uint64_t bytes = 0;
  if (size == 0 || plan.sparse || (plan.complex && !isNumericClass(plan.cls)) ||
      !checked::multiply(count, size, bytes) || bytes > SIZE_MAX) {
    return nullptr;
  }
  unsigned required = count == 0 ? 0 : roleBit(BlockRole::Real);
  if (plan.complex && count > 0) required |= roleBit(BlockRole::Imaginary);
  if (!sourcesFit(plan, required, count, 0, building.file, building.examined)) {
    return building.refuse("its data sources do not fit its description or the file");
  }
  ArrayPtr array(standin::createHeader(plan.cls, dimsOf(plan), plan.complex, false));
  array->hasData = true;
  if (!building.discarding) {
    array->real = standin::allocateData(static_cast<size_t>(bytes));
    if (plan.complex) array->imag = standin::allocateData(static_cast<size_t>(bytes));
  }
  ArrayBlocks blocks;
  blocks.blocks[0] = {array->real, plan.cls, count};
  blocks.blocks[1] = {array->imag, plan.cls, plan.complex ? count : 0};
  return fillAll(building, plan, blocks) ? std::move(array) : nullptr;
}

// Column starts from 0 to the value count, rows below the row count and
// rising within each column.
bool isConsistentSparse(const mxArray &array, size_t count) {
  size_t rows = array.dims[0], columns = array.dims[1];
  const size_t *starts = array.columnStart;
  if (starts[0] != 0 || starts[columns] != count) return false;
  for (size_t column = 0; column < columns; ++column) {
    if (starts[column] > starts[column + 1] || starts[column + 1] > count) return false;
    for (size_t k = starts[column]; k < starts[column + 1]; ++k) {
      if (array.rowIndex[k] >= rows) return false;
      if (k > starts[column] && array.rowIndex[k] <= array.rowIndex[k - 1]) return false;
    }
  }
  return true;
}

ArrayPtr buildSparse(Building &building, const ArrayPlan &plan) {
  if (plan.dims.size() != 2 || (plan.cls != ArrayClass::Double && plan.cls != ArrayClass::Logical) ||
      (plan.complex && plan.cls != ArrayClass::Double) || plan.dims[1] >= SIZE_MAX ||
      plan.storedValues >= SIZE_MAX) {
    return nullptr;
  }
  uint64_t values = plan.storedValues, columnStarts = plan.dims[1] + 1;
  unsigned required = roleBit(BlockRole::ColumnStart);
  if (values > 0) required |= roleBit(BlockRole::RowIndex) | roleBit(BlockRole::Real);
  if (values > 0 && plan.complex) required |= roleBit(BlockRole::Imaginary);
  if (!sourcesFit(plan, required, values, columnStarts, building.file, building.examined)) {
    return building.refuse("its data sources do not fit its description or the file");
  }
  // An examination keeps the indices, to check the structure, when they
  // are small enough; larger ones are read and dropped like any data.
  if (building.discarding && (values + columnStarts) * sizeof(size_t) > kExaminedIndexBytes) {
    ArrayPtr array(standin::createHeader(plan.cls, dimsOf(plan), plan.complex, true));
    ArrayBlocks blocks;
    blocks.blocks[0] = {nullptr, plan.cls, values};
    blocks.blocks[1] = {nullptr, plan.cls, plan.complex ? values : 0};
    blocks.blocks[2] = {nullptr, indexClass(), values};
    blocks.blocks[3] = {nullptr, indexClass(), columnStarts};
    return fillAll(building, plan, blocks) ? std::move(array) : nullptr;
  }
  // Kept and checked as a read keeps them.
  bool discarding = building.discarding;
  building.discarding = false;
  ArrayPtr array(standin::createSparse(plan.cls, static_cast<size_t>(plan.dims[0]),
                                       static_cast<size_t>(plan.dims[1]),
                                       static_cast<size_t>(values), plan.complex));
  ArrayBlocks blocks;
  blocks.blocks[0] = {array->real, plan.cls, values};
  blocks.blocks[1] = {array->imag, plan.cls, plan.complex ? values : 0};
  blocks.blocks[2] = {array->rowIndex, indexClass(), values};
  blocks.blocks[3] = {array->columnStart, indexClass(), columnStarts};
  bool filled = fillAll(building, plan, blocks);
  building.discarding = discarding;
  if (!filled) return nullptr;
  if (!isConsistentSparse(*array, static_cast<size_t>(values))) {
    return building.refuse("its column starts and row indices do not make a sparse array");
  }
  return array;
}

// An empty sparse array still has a column start per column: no more of
// them than 16 MiB, and 1 KiB for each byte of the file, can hold.
bool columnStartsFit(uint64_t columns, uint64_t fileSize) {
  uint64_t allowed = (uint64_t(16) << 20) + 1024 * fileSize;
  return columns < allowed / sizeof(size_t);
}

ArrayPtr buildEmpty(const ArrayPlan &plan, uint64_t count, uint64_t fileSize) {
  if (count != 0 || !plan.sources.empty()) return nullptr;
  if (plan.sparse) {
    if (plan.dims.size() != 2 || (plan.cls != ArrayClass::Double && plan.cls != ArrayClass::Logical) ||
        !columnStartsFit(plan.dims[1], fileSize)) {
      return nullptr;
    }
    return ArrayPtr(standin::createSparse(plan.cls, static_cast<size_t>(plan.dims[0]),
                                          static_cast<size_t>(plan.dims[1]), 0, false));
  }
  switch (plan.cls) {
    case ArrayClass::Cell: return ArrayPtr(standin::createCell(dimsOf(plan)));
    case ArrayClass::Struct: return ArrayPtr(standin::createStruct(dimsOf(plan), {}));
    default: break;
  }
  if (elementSize(plan.cls) != 0) return ArrayPtr(standin::createNumeric(plan.cls, dimsOf(plan), false));
  ArrayPtr array(standin::createHeader(plan.cls, dimsOf(plan), false, false));
  array->hasData = true;
  array->objectClassName = plan.className;
  return array;
}

ArrayPtr build(Building &building, const ArrayPlan &plan, unsigned depth);

bool buildChildren(Building &building, const ArrayPlan &plan, uint64_t expected, mxArray &array,
                   unsigned depth) {
  if (plan.children.size() != expected || expected > building.arraysLeft || !plan.sources.empty()) {
    return false;
  }
  bool keep = !building.discarding;  // an examination drops each child
  if (keep) array.children.reserve(plan.children.size());
  for (const ArrayPlan &child : plan.children) {
    ArrayPtr element = build(building, child, depth + 1);
    if (!element) return false;
    if (keep) array.children.push_back(element.release());
  }
  return true;
}

ArrayPtr build(Building &building, const ArrayPlan &plan, unsigned depth) {
  uint64_t count = 0;
  if (depth > kMaxDepth || building.arraysLeft == 0 || !hasShape(plan, count) ||
      plan.cls == ArrayClass::Sparse) {
    return nullptr;
  }
  --building.arraysLeft;
  if (plan.kind != ArrayKind::Cell && plan.kind != ArrayKind::Struct && !plan.children.empty()) {
    return nullptr;
  }
  switch (plan.kind) {
    case ArrayKind::HeaderOnly: {
      if (depth != 0 || !plan.sources.empty()) return nullptr;
      ArrayPtr array(standin::createHeader(plan.cls, dimsOf(plan), plan.complex, plan.sparse));
      if (plan.cls == ArrayClass::Object || plan.cls == ArrayClass::Opaque) {
        array->objectClassName = plan.className;
      }
      return array;
    }
    case ArrayKind::Numeric: return buildNumeric(building, plan, count);
    case ArrayKind::Empty: return buildEmpty(plan, count, building.file.size());
    case ArrayKind::Sparse: return buildSparse(building, plan);
    case ArrayKind::Cell: {
      if (plan.cls != ArrayClass::Cell || plan.children.size() != count) return nullptr;
      ArrayPtr array(standin::createCell(dimsOf(plan)));
      return buildChildren(building, plan, count, *array, depth) ? std::move(array) : nullptr;
    }
    case ArrayKind::Struct: {
      uint64_t children = 0;
      if ((plan.cls != ArrayClass::Struct && plan.cls != ArrayClass::Object) ||
          !checked::multiply(count, plan.fields.size(), children) ||
          plan.children.size() != children) {
        return nullptr;
      }
      ArrayPtr array(standin::createStruct(dimsOf(plan), plan.fields));
      array->cls = plan.cls;
      if (plan.cls == ArrayClass::Object) array->objectClassName = plan.className;
      return buildChildren(building, plan, children, *array, depth) ? std::move(array) : nullptr;
    }
    case ArrayKind::ClassOnly: {
      if (!plan.sources.empty()) return nullptr;
      ArrayPtr array(standin::createHeader(plan.cls, dimsOf(plan), false, false));
      array->objectClassName = plan.className;
      array->hasData = true;
      return array;
    }
  }
  return nullptr;
}

}  // namespace

ArrayPtr buildArray(const ArrayPlan &plan, const FileBytes &file, PlanSource &streams) {
  Building building{file, streams, file.size() / 16 + 1024, nullptr, false};
  return build(building, plan, 0);
}

bool examineArray(const ArrayPlan &plan, const FileBytes &file, PlanSource &streams,
                  DataFault &fault) {
  Building building{file, streams, file.size() / 16 + 1024, &fault, true};
  if (build(building, plan, 0)) return true;
  if (fault.why.empty()) fault.why = "its description does not hold together";
  return false;
}

}  // namespace mat_v73
