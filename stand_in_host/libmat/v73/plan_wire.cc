#include "v73/plan_wire.h"

#include <cstring>

namespace mat_v73 {

namespace {

// The fewest bytes each repeated part takes encoded, so that a count can be
// checked against the bytes left before anything is reserved for it.
constexpr size_t kNumberBytes = 8;
constexpr size_t kTextBytes = kNumberBytes;                 // its length
constexpr size_t kTargetBytes = 3 * kNumberBytes;
constexpr size_t kChunkBytes = 3 * kNumberBytes;
constexpr size_t kSourceBytes = 8 * kNumberBytes;
constexpr size_t kPlanBytes = 13 * kNumberBytes;
constexpr size_t kMaxDims = 64;

class Writer {
 public:
  explicit Writer(std::string &out) : out_(out) {}
  void number(uint64_t value) { out_.append(reinterpret_cast<const char *>(&value), sizeof value); }
  void text(const std::string &value) {
    number(value.size());
    out_.append(value);
  }

 private:
  std::string &out_;
};

// A count of parts that each take at least `partBytes`: fails the cursor
// if the bytes left cannot hold that many.
uint64_t countOf(ByteCursor &in, size_t partBytes) {
  uint64_t count = in.u64();
  if (count > in.left() / partBytes) in.fail();
  return in.ok() ? count : 0;
}

void encodeSource(Writer &w, const DataSource &source) {
  w.number(static_cast<uint64_t>(source.kind));
  w.number(source.elements);
  w.number(source.elementSize);
  w.number(source.offset);
  w.text(source.bytes);
  const ChunkGrid &grid = source.chunks.grid;
  w.number(static_cast<uint64_t>(grid.rank));
  for (int i = 0; i < grid.rank; ++i) {
    w.number(grid.dims[i]);
    w.number(grid.chunk[i]);
  }
  w.number(source.chunks.chunks.size());
  for (const StoredChunk &chunk : source.chunks.chunks) {
    w.number(chunk.offset);
    w.number(chunk.bytes);
    w.number(chunk.deflated ? 1 : 0);
  }
  w.number(source.targets.size());
  for (const Target &target : source.targets) {
    w.number(static_cast<uint64_t>(target.role));
    w.number(static_cast<uint64_t>(target.number.cls) | (target.number.swap ? 0x100 : 0));
    w.number(target.number.offset);
  }
}

bool decodeSource(ByteCursor &in, DataSource &source) {
  uint64_t kind = in.u64();
  source.kind = static_cast<SourceKind>(kind);
  source.elements = in.u64();
  uint64_t elementSize = in.u64();
  source.elementSize = static_cast<uint32_t>(elementSize);
  source.offset = in.u64();
  source.bytes = in.text(in.left());
  if (kind < 1 || kind > 4 || elementSize > UINT32_MAX) in.fail();
  ChunkGrid &grid = source.chunks.grid;
  uint64_t rank = in.u64();
  if (rank > kMaxChunkRank) in.fail();
  grid.rank = in.ok() ? static_cast<int>(rank) : 0;
  for (int i = 0; i < grid.rank; ++i) {
    grid.dims[i] = in.u64();
    grid.chunk[i] = in.u64();
  }
  grid.elementSize = source.elementSize;
  uint64_t chunks = countOf(in, kChunkBytes);
  source.chunks.chunks.resize(chunks);
  for (StoredChunk &chunk : source.chunks.chunks) {
    chunk.offset = in.u64();
    chunk.bytes = in.u64();
    chunk.deflated = in.u64() != 0;
  }
  uint64_t targets = countOf(in, kTargetBytes);
  source.targets.resize(targets);
  for (Target &target : source.targets) {
    uint64_t role = in.u64(), number = in.u64(), offset = in.u64();
    if (role > 3 || (number & ~uint64_t(0x1FF)) != 0 || offset > UINT32_MAX) in.fail();
    target.role = static_cast<BlockRole>(role);
    target.number.cls = static_cast<ArrayClass>(number & 0xFF);
    target.number.swap = (number & 0x100) != 0;
    target.number.offset = static_cast<uint32_t>(offset);
  }
  return in.ok();
}

void encodeArray(Writer &w, const ArrayPlan &plan) {
  w.number(static_cast<uint64_t>(plan.kind));
  w.number(static_cast<uint64_t>(plan.cls));
  w.number((plan.complex ? 1 : 0) | (plan.global ? 2 : 0) | (plan.sparse ? 4 : 0));
  w.number(plan.dims.size());
  for (uint64_t dim : plan.dims) w.number(dim);
  w.text(plan.name);
  w.text(plan.className);
  w.number(plan.fields.size());
  for (const std::string &field : plan.fields) w.text(field);
  w.number(plan.storedValues);
  w.number(plan.address);
  w.number(plan.storedBytes);
  w.text(plan.storage);
  w.number(plan.sources.size());
  for (const DataSource &source : plan.sources) encodeSource(w, source);
  w.number(plan.children.size());
  for (const ArrayPlan &child : plan.children) encodeArray(w, child);
}

bool decodeArray(ByteCursor &in, ArrayPlan &plan, unsigned depth) {
  if (depth > kMaxPlanDepth) return false;
  uint64_t kind = in.u64(), cls = in.u64(), flags = in.u64();
  if (kind > 6 || cls < 1 || cls > 18 || flags > 7) in.fail();
  plan.kind = static_cast<ArrayKind>(kind);
  plan.cls = static_cast<ArrayClass>(cls);
  plan.complex = (flags & 1) != 0;
  plan.global = (flags & 2) != 0;
  plan.sparse = (flags & 4) != 0;
  uint64_t dims = countOf(in, kNumberBytes);
  if (dims > kMaxDims) in.fail();
  plan.dims.resize(in.ok() ? dims : 0);
  for (uint64_t &dim : plan.dims) dim = in.u64();
  plan.name = in.text(in.left());
  plan.className = in.text(in.left());
  plan.fields.resize(countOf(in, kTextBytes));
  for (std::string &field : plan.fields) field = in.text(in.left());
  plan.storedValues = in.u64();
  plan.address = in.u64();
  plan.storedBytes = in.u64();
  plan.storage = in.text(in.left());
  plan.sources.resize(countOf(in, kSourceBytes));
  for (DataSource &source : plan.sources) {
    if (!decodeSource(in, source)) return false;
  }
  plan.children.resize(countOf(in, kPlanBytes));
  for (ArrayPlan &child : plan.children) {
    if (!decodeArray(in, child, depth + 1)) return false;
  }
  return in.ok();
}

}  // namespace

void encodePlan(const ArrayPlan &plan, std::string &out) {
  Writer w(out);
  encodeArray(w, plan);
}

bool decodePlan(ByteCursor &in, ArrayPlan &plan) {
  plan = ArrayPlan();
  return decodeArray(in, plan, 0);
}

void encodeNames(const std::vector<std::string> &names, std::string &out) {
  Writer w(out);
  w.number(names.size());
  for (const std::string &name : names) w.text(name);
}

bool decodeNames(ByteCursor &in, std::vector<std::string> &names) {
  names.resize(countOf(in, kTextBytes));
  for (std::string &name : names) name = in.text(in.left());
  return in.ok();
}

}  // namespace mat_v73
