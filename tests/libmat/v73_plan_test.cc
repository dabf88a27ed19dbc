// Version 7.3 plans as the reader process sends them: every part survives
// the round trip through bytes; cut or made-up messages fail to decode
// without reserving what they claim; and plans that decode but do not fit
// the file build nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/byte_cursor.h"
#include "common/file_bytes.h"
#include "v73/array_from_plan.h"
#include "v73/plan_wire.h"

namespace {

using namespace mat_v73;

ArrayPlan numericPlan(SourceKind kind, uint64_t elements) {
  ArrayPlan plan;
  plan.kind = ArrayKind::Numeric;
  plan.cls = ArrayClass::Double;
  plan.dims = {1, elements};
  DataSource source;
  source.kind = kind;
  source.elements = elements;
  source.elementSize = 8;
  source.targets.push_back({BlockRole::Real, {ArrayClass::Double, false, 0}});
  plan.sources.push_back(source);
  return plan;
}

// A plan with every kind of part: a struct of a complex chunked array, a
// sparse array from the file, inline and streamed data, and a cell.
ArrayPlan everyPart() {
  ArrayPlan chunked = numericPlan(SourceKind::Chunks, 6);
  chunked.complex = true;
  DataSource &source = chunked.sources[0];
  source.elementSize = 16;
  source.targets.push_back({BlockRole::Imaginary, {ArrayClass::Single, true, 8}});
  source.chunks.grid.rank = 2;
  source.chunks.grid.dims[0] = 3;
  source.chunks.grid.dims[1] = 2;
  source.chunks.grid.chunk[0] = 2;
  source.chunks.grid.chunk[1] = 2;
  source.chunks.grid.elementSize = 16;
  source.chunks.chunks = {{512, 40, true}, {600, 64, false}};

  ArrayPlan sparse;
  sparse.kind = ArrayKind::Sparse;
  sparse.cls = ArrayClass::Logical;
  sparse.dims = {4, 2};
  sparse.storedValues = 1;
  DataSource starts;
  starts.kind = SourceKind::Extent;
  starts.offset = 1000;
  starts.elements = 3;
  starts.elementSize = 8;
  starts.targets.push_back({BlockRole::ColumnStart, {ArrayClass::Uint64, false, 0}});
  sparse.sources.push_back(starts);

  ArrayPlan inlined = numericPlan(SourceKind::Inline, 2);
  inlined.sources[0].bytes = std::string(16, '\x7f');
  ArrayPlan streamed = numericPlan(SourceKind::Streamed, 1 << 20);
  streamed.sources[0].offset = 3;

  ArrayPlan cell;
  cell.kind = ArrayKind::Cell;
  cell.cls = ArrayClass::Cell;
  cell.dims = {1, 2};
  cell.children = {inlined, streamed};

  ArrayPlan top;
  top.kind = ArrayKind::Struct;
  top.cls = ArrayClass::Object;
  top.className = "Widget";
  top.name = "w";
  top.global = true;
  top.dims = {1, 1, 3};
  top.fields = {"a", "b", "c"};
  top.children = {chunked, sparse, cell};
  return top;
}

std::string encoded(const ArrayPlan &plan) {
  std::string bytes;
  encodePlan(plan, bytes);
  return bytes;
}

bool decodes(const std::string &bytes, ArrayPlan &plan) {
  ByteCursor in(bytes.data(), bytes.size());
  return decodePlan(in, plan) && in.atEnd();
}

TEST(V73PlanWire, EveryPartSurvivesTheRoundTrip) {
  std::string bytes = encoded(everyPart());
  ArrayPlan back;
  ASSERT_TRUE(decodes(bytes, back));
  EXPECT_EQ(encoded(back), bytes);
  EXPECT_EQ(back.className, "Widget");
  EXPECT_EQ(back.fields, (std::vector<std::string>{"a", "b", "c"}));
  ASSERT_EQ(back.children.size(), 3u);
  const DataSource &chunked = back.children[0].sources[0];
  EXPECT_EQ(chunked.chunks.chunks.size(), 2u);
  EXPECT_TRUE(chunked.chunks.chunks[0].deflated);
  EXPECT_TRUE(chunked.targets[1].number.swap);
  EXPECT_EQ(chunked.targets[1].number.cls, ArrayClass::Single);
  EXPECT_EQ(back.children[2].children[1].sources[0].kind, SourceKind::Streamed);

  std::vector<std::string> names = {"a", "", std::string("b\0c", 3)}, namesBack;
  std::string list;
  encodeNames(names, list);
  ByteCursor in(list.data(), list.size());
  EXPECT_TRUE(decodeNames(in, namesBack) && in.atEnd());
  EXPECT_EQ(namesBack, names);
}

TEST(V73PlanWire, CutAndMadeUpMessagesFail) {
  std::string bytes = encoded(everyPart());
  ArrayPlan plan;
  for (size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_FALSE(decodes(bytes.substr(0, length), plan)) << "cut at " << length;
  }
  // Counts far beyond the bytes: children, fields, chunks, a text length.
  auto withNumberAt = [&](size_t at, uint64_t value) {
    std::string changed = bytes;
    std::memcpy(&changed[at], &value, sizeof value);
    return changed;
  };
  for (size_t at = 0; at + 8 <= bytes.size(); at += 8) {
    EXPECT_NO_THROW(decodes(withNumberAt(at, uint64_t(1) << 60), plan)) << "number " << at / 8;
  }
  // Nesting deeper than any reader makes.
  ArrayPlan deep = numericPlan(SourceKind::Inline, 0);
  for (unsigned i = 0; i <= kMaxPlanDepth; ++i) {
    ArrayPlan cell;
    cell.kind = ArrayKind::Cell;
    cell.cls = ArrayClass::Cell;
    cell.dims = {1, 1};
    cell.children.push_back(std::move(deep));
    deep = std::move(cell);
  }
  EXPECT_FALSE(decodes(encoded(deep), plan));
  // Bytes changed at random decode or fail, never overrun (the sanitizer
  // build watches).
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string changed = bytes;
    for (int flips = 0; flips < 4; ++flips) {
      changed[random() % changed.size()] = static_cast<char>(random());
    }
    decodes(changed, plan);
  }
}

// A plan source whose streams must never be asked for.
class NoStreams : public PlanSource {
 public:
  bool directory(std::vector<std::string> &) override { return false; }
  bool plan(uint64_t, bool, ArrayPlan &) override { return false; }
  bool stream(uint64_t, void *, uint64_t) override {
    ++asked;
    return false;
  }
  bool streamPieces(uint64_t, uint64_t, const std::function<bool(const void *, size_t)> &) override {
    ++asked;
    return false;
  }
  std::string lastFailure() const override { return std::string(); }
  bool salvage(const std::vector<std::string> &, const char *, std::string &) override {
    return false;
  }
  bool close() override { return true; }
  int asked = 0;
};

TEST(V73PlanFromReader, PlansThatDoNotFitTheFileBuildNothing) {
  std::string path = ::testing::TempDir() + "v73_plan_file.bin";
  std::string content(4096, '\0');
  for (size_t i = 0; i < content.size(); i += 8) content[i] = static_cast<char>(i / 8);
  FILE *file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);
  FileBytes bytes;
  ASSERT_TRUE(bytes.open(path.c_str()));
  NoStreams streams;

  ArrayPlan fits = numericPlan(SourceKind::Extent, 512);
  standin::ArrayPtr array = buildArray(fits, bytes, streams);
  ASSERT_TRUE(array);
  EXPECT_EQ(static_cast<const double *>(array->real)[511], [&] {
    double value;
    std::memcpy(&value, content.data() + 511 * 8, 8);
    return value;
  }());

  struct Case {
    const char *what;
    ArrayPlan plan;
  };
  std::vector<Case> cases;
  cases.push_back({"extent beyond the file", numericPlan(SourceKind::Extent, 513)});
  cases.push_back({"streamed beyond what the file inflates to",
                   numericPlan(SourceKind::Streamed, uint64_t(1) << 40)});
  ArrayPlan noData = numericPlan(SourceKind::Extent, 4);
  noData.sources.clear();
  cases.push_back({"data without a source", noData});
  ArrayPlan twice = numericPlan(SourceKind::Extent, 4);
  twice.sources.push_back(twice.sources[0]);
  cases.push_back({"a block filled twice", twice});
  ArrayPlan outside = numericPlan(SourceKind::Extent, 4);
  outside.sources[0].targets[0].number.offset = 4;
  cases.push_back({"a number beyond its element", outside});
  ArrayPlan cell;
  cell.kind = ArrayKind::Cell;
  cell.cls = ArrayClass::Cell;
  cell.dims = {1000000, 1000000};
  cases.push_back({"a cell of more elements than children", cell});
  ArrayPlan sparse = numericPlan(SourceKind::Extent, (uint64_t(1) << 40) + 1);
  sparse.kind = ArrayKind::Sparse;
  sparse.dims = {10, uint64_t(1) << 40};
  sparse.sources[0].targets[0].role = BlockRole::ColumnStart;
  sparse.sources[0].targets[0].number.cls = ArrayClass::Uint64;
  cases.push_back({"sparse column starts the file cannot hold", sparse});
  ArrayPlan empty;
  empty.kind = ArrayKind::Empty;
  empty.cls = ArrayClass::Double;
  empty.sparse = true;
  empty.dims = {0, uint64_t(1) << 40};
  cases.push_back({"an empty sparse array of 2^40 columns", empty});
  for (const Case &c : cases) {
    EXPECT_FALSE(buildArray(c.plan, bytes, streams)) << c.what;
  }
  EXPECT_EQ(streams.asked, 0);
  std::remove(path.c_str());
}

}  // namespace
