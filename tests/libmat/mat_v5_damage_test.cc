// Damaged version 5/6/7 MAT-files: every size, type and count the reader
// relies on broken in turn, files cut short and compressed streams spoilt.
// Each must be refused in the pass that first meets the damage, without a
// crash, an overread or a huge allocation (run under the sanitizers too).
#include <gtest/gtest.h>

#include "mat_reading.h"
#include "mat_v5_fixture.h"

namespace {

using namespace v5fixture;

const Writer w;  // little-endian

struct Outcome {
  bool opened;
  bool listed;
  size_t headers;  // variables read by matGetNextVariableInfo
  size_t wholes;   // variables read by matGetNextVariable
};
constexpr Outcome kNotOpened{false, false, 0, 0};
constexpr Outcome kNotListed{true, false, 0, 0};
constexpr Outcome kHeaderOnly{true, true, 1, 0};  // the damage lies past the name

struct Damage {
  const char *what;
  std::string bytes;
  Outcome outcome;
};

void expectOutcome(const Damage &damage) {
  SCOPED_TRACE(damage.what);
  Passes passes = readPasses(damage.bytes);
  EXPECT_EQ(passes.opened, damage.outcome.opened);
  EXPECT_EQ(passes.listed, damage.outcome.listed);
  EXPECT_EQ(passes.headers.size(), damage.outcome.headers);
  EXPECT_EQ(passes.wholes.size(), damage.outcome.wholes);
}

std::string file(const std::string &element) { return w.header() + element; }

std::string doubles(const std::vector<double> &values) {
  return w.element(kDouble, w.stored(kDouble, values));
}
std::string int32s(const std::vector<int32_t> &values) { return w.element(kInt32, w.numbers(values)); }

std::string matrixOf(const std::string &contents) { return w.element(kMatrix, contents); }

// A 2x2 sparse matrix from its ir, jc and pr.
std::string sparse(const std::vector<int32_t> &ir, const std::vector<int32_t> &jc,
                   const std::vector<double> &pr) {
  return file(w.matrix(5, {2, 2}, "s", int32s(ir) + int32s(jc) + doubles(pr)));
}

std::string characters(const std::string &element) { return file(w.matrix(4, {1, 2}, "c", element)); }

std::string nestedCells(int depth) {
  std::string inner = w.matrix(6, {0, 0}, "", doubles({}));
  for (int i = 0; i < depth; ++i) inner = w.matrix(1, {1, 1}, "", inner);
  return file(w.matrix(1, {1, 1}, "deep", inner));
}

TEST(MatV5Damage, HeaderAndTopLevelElements) {
  std::string good = w.matrix(6, {1, 1}, "a", doubles({1}));
  std::string badEndian = file(good), badVersion = file(good);
  badEndian[126] = 'X';
  badVersion[124] = 2;
  badVersion[125] = 0;
  std::string beyondFile = file(good);
  beyondFile[132] += 8;  // the miMATRIX claims 8 bytes more than the file holds
  const Damage damages[] = {
      {"wrong endian indicator", badEndian, kNotOpened},
      {"version 7.3 (HDF5) header", badVersion, kNotOpened},
      {"file shorter than its header", w.header().substr(0, 100), kNotOpened},
      {"numeric element at the top level", file(doubles({1})), kNotListed},
      {"miMATRIX longer than the file", beyondFile, kNotListed},
      {"trailing bytes that are no element", file(good) + "abcd", {true, false, 1, 1}},
      {"trailing element of unknown type", file(good) + w.element(99, "x"), {true, false, 1, 1}},
      {"variable without a name", file(w.matrix(6, {1, 1}, "", doubles({1}))), kNotListed},
  };
  for (const Damage &damage : damages) expectOutcome(damage);
}

TEST(MatV5Damage, ArrayFlagsDimensionsAndName) {
  const std::string data = doubles({1});
  const std::string flagsDims = w.flags(6) + int32s({1, 1});
  const Damage damages[] = {
      {"class 0", file(w.matrix(0, {1, 1}, "a", data)), kNotListed},
      {"class 18", file(w.matrix(18, {1, 1}, "a", data)), kNotListed},
      {"negative dimension", file(w.matrix(6, {1, -1}, "a", data)), kNotListed},
      {"one dimension", file(w.matrix(6, {1}, "a", data)), kNotListed},
      {"dimension count overflows", file(w.matrix(6, {65536, 65536, 65536, 65536}, "a", data)),
       kNotListed},
      {"sparse with three dimensions", file(w.matrix(5, {1, 1, 2}, "a", data)), kNotListed},
      {"NUL inside the name", file(w.matrix(6, {1, 1}, std::string("a\0b", 3), data)), kNotListed},
      {"name stored as double", file(matrixOf(flagsDims + doubles({1}) + data)), kNotListed},
      {"flags of 4 bytes", file(matrixOf(w.element(kUint32, w.number(6)) + int32s({1, 1}) + w.name("a"))),
       kNotListed},
      {"dimensions as double", file(matrixOf(w.flags(6) + doubles({1, 1}) + w.name("a"))), kNotListed},
      {"sub-element longer than the miMATRIX",
       file(matrixOf(w.flags(6) + w.rawElement(kInt32, 4096, w.numbers<int32_t>({1, 1})))), kNotListed},
      {"small element claiming 5 bytes", file(matrixOf(flagsDims + w.number(uint32_t(5 << 16 | kInt8)) + "abcd")),
       kNotListed},
      {"opaque object without a name", file(matrixOf(w.flags(17) + doubles({1}))), kNotListed},
  };
  for (const Damage &damage : damages) expectOutcome(damage);
}

TEST(MatV5Damage, NumericAndCharacterData) {
  const Damage damages[] = {
      {"fewer values than elements", file(w.matrix(6, {2, 3}, "a", doubles({1, 2, 3, 4, 5}))), kHeaderOnly},
      {"more values than elements", file(w.matrix(6, {1, 1}, "a", doubles({1, 2}))), kHeaderOnly},
      {"bytes not a whole number of values", file(w.matrix(6, {1, 1}, "a", w.element(kInt32, "abcdef"))),
       kHeaderOnly},
      {"data of unknown type 8", file(w.matrix(6, {1, 1}, "a", w.element(8, "abcdefgh"))), kHeaderOnly},
      {"data as miMATRIX", file(w.matrix(6, {1, 1}, "a", w.matrix(6, {1, 1}, "", doubles({1})))),
       kHeaderOnly},
      {"no data", file(w.matrix(6, {1, 1}, "a", "")), kHeaderOnly},
      {"complex without an imaginary part", file(w.matrix(6 | kComplex, {1, 1}, "a", doubles({1}))),
       kHeaderOnly},
      {"element after the data", file(w.matrix(6, {1, 1}, "a", doubles({1}) + doubles({2}))), kHeaderOnly},
      {"unused bytes at the end of a plain miMATRIX",
       file(w.matrix(6, {1, 1}, "a", doubles({1}) + std::string(8, '\0'))), kHeaderOnly},
      // Bytes that are not UTF-8 read one character each: a count is all that can fail.
      {"overlong UTF-8, one character each byte", characters(w.element(kUtf8, "a\xC0\x81")),
       kHeaderOnly},
      {"UTF-8 surrogate, one character each byte", characters(w.element(kUtf8, "a\xED\xA0\x80")),
       kHeaderOnly},
      {"UTF-8 one unit short", characters(w.element(kUtf8, "\xC3\xA9")), kHeaderOnly},
      {"UTF-32 one unit short", characters(w.element(kUtf32, w.numbers<uint32_t>({0x110000}))),
       kHeaderOnly},
      {"UTF-16 of three units", characters(w.element(kUtf16, "a\0b\0c\0")), kHeaderOnly},
      {"uint16 of one unit", characters(w.element(kUint16, std::string("a\0", 2))), kHeaderOnly},
  };
  for (const Damage &damage : damages) expectOutcome(damage);
}

TEST(MatV5Damage, SparseStructure) {
  const Damage damages[] = {
      {"first column start not 0", sparse({0}, {1, 1, 1}, {1}), kHeaderOnly},
      {"column starts decreasing", sparse({0, 1}, {0, 2, 1}, {1, 2}), kHeaderOnly},
      {"row index beyond the rows", sparse({0, 2}, {0, 1, 2}, {1, 2}), kHeaderOnly},
      {"negative row index", sparse({-1}, {0, 1, 1}, {1}), kHeaderOnly},
      {"more non-zeros than row indices", sparse({0}, {0, 1, 2}, {1, 2}), kHeaderOnly},
      {"more values than row indices", sparse({0}, {0, 1, 1}, {1, 2}), kHeaderOnly},
      {"too few column starts", sparse({0}, {0, 1}, {1}), kHeaderOnly},
      {"row indices as double",
       file(w.matrix(5, {2, 2}, "s", doubles({0}) + int32s({0, 1, 1}) + doubles({1}))), kHeaderOnly},
  };
  for (const Damage &damage : damages) expectOutcome(damage);
}

TEST(MatV5Damage, CellsAndStructs) {
  const std::string one = w.matrix(6, {1, 1}, "", doubles({1}));
  const std::string fieldLength8 = w.smallElement(kInt32, w.number(int32_t(8)));
  const Damage damages[] = {
      {"cell element that is no miMATRIX", file(w.matrix(1, {1, 1}, "c", doubles({1}))), kHeaderOnly},
      {"cell missing an element", file(w.matrix(1, {1, 2}, "c", one)), kHeaderOnly},
      {"cell claiming 2^60 elements", file(w.matrix(1, {1 << 30, 1 << 30}, "c", one)), kHeaderOnly},
      {"cell element damaged", file(w.matrix(1, {1, 1}, "c", w.matrix(6, {2, 2}, "", doubles({1})))),
       kHeaderOnly},
      {"cells nested 100 deep", nestedCells(100), kHeaderOnly},
      {"field names not a whole number of slots",
       file(w.matrix(2, {1, 1}, "s", fieldLength8 + w.element(kInt8, "abcdefghij") + one)), kHeaderOnly},
      {"field name length 0", file(w.matrix(2, {1, 1}, "s", w.smallElement(kInt32, w.number(int32_t(0))) +
                                                              w.element(kInt8, "x") + one)),
       kHeaderOnly},
      {"struct missing a field", file(w.matrix(2, {1, 2}, "s", fieldLength8 + w.element(kInt8, "x") + one)),
       kHeaderOnly},
      {"struct claiming 2^62 elements",
       file(w.matrix(2, {1 << 30, 1 << 30, 4}, "s", fieldLength8 + w.element(kInt8, "x") + one)),
       kHeaderOnly},
      {"object without a class name", file(w.matrix(3, {1, 1}, "o", one)), kHeaderOnly},
  };
  for (const Damage &damage : damages) expectOutcome(damage);
  // 60 levels of nesting are still read.
  EXPECT_EQ(readPasses(nestedCells(60)).wholes.size(), 1u);
}

// A variable whose compressed stream is long enough that damage near its
// end lies well past the name.
std::string longVariable() {
  std::vector<double> values;
  for (int i = 0; i < 3000; ++i) values.push_back(i * 7.25);
  return w.matrix(6, {1, 3000}, "long", doubles(values));
}

// A compressed miMATRIX whose tag claims `nbytes`; it holds a good header.
std::string compressedWithClaim(uint32_t nbytes) {
  std::string header = w.flags(6) + int32s({1, 1}) + w.name("a");
  return file(w.compressed(w.number(uint32_t(kMatrix)) + w.number(nbytes) + header));
}

TEST(MatV5Damage, CompressedStreams) {
  std::string good = file(w.compressed(longVariable()));
  std::string badChecksum = good, corrupt = good;
  badChecksum.back() ^= 0x55;
  corrupt[corrupt.size() - 40] ^= 0x55;
  std::string packed = w.compressed(longVariable());
  std::string cut = packed.substr(0, packed.size() - 10);
  cut[4] -= 10;  // the element's size, so that the cut stream fills it
  std::string extraCompressed = packed + "zzzz";
  extraCompressed[4] += 4;
  const Damage damages[] = {
      {"Adler-32 checksum wrong", badChecksum, kHeaderOnly},
      {"deflate data corrupted near its end", corrupt, kHeaderOnly},
      {"stream cut short", file(cut), kHeaderOnly},
      {"bytes after the stream's end", file(extraCompressed), kHeaderOnly},
      {"inflated bytes after the miMATRIX", file(w.compressed(longVariable() + std::string(8, '\0'))),
       kHeaderOnly},
      {"miMATRIX claiming 4 GiB in a tiny stream", compressedWithClaim(0xFFFFFFF0u), kNotListed},
      {"miMATRIX claiming more than deflate can give", compressedWithClaim(200000), kNotListed},
      {"data claiming more than its miMATRIX",
       file(w.compressed(w.matrix(6, {1, 1}, "a", w.rawElement(kDouble, 1u << 30, "")))), kHeaderOnly},
      {"compressed numeric element", file(w.compressed(doubles({1, 2}))), kNotListed},
      {"no zlib stream", file(w.rawElement(kCompressed, 16, "not a zlib strm")), kNotListed},
      {"empty compressed element", file(w.rawElement(kCompressed, 0, "")), kNotListed},
  };
  for (const Damage &damage : damages) expectOutcome(damage);
}

// Every cut of a small file with a plain and a compressed variable: only a
// cut at an element boundary leaves a file that reads cleanly.
TEST(MatV5Damage, FileCutAtEveryOffset) {
  std::string plain = w.matrix(2, {1, 1}, "s",
                               w.smallElement(kInt32, w.number(int32_t(4))) + w.element(kInt8, std::string("abc\0", 4)) +
                                   w.matrix(4, {1, 3}, "", w.element(kUtf8, "xyz")));
  std::string bytes = w.header() + plain + w.compressed(w.matrix(12, {1, 2}, "i", int32s({-1, 1})));
  const size_t boundaries[] = {128, 128 + plain.size()};
  for (size_t length = 0; length < bytes.size(); ++length) {
    SCOPED_TRACE(length);
    Passes passes = readPasses(bytes.substr(0, length));
    bool clean = passes.opened && passes.listed && passes.headers.size() == passes.names.size() &&
                 passes.wholes.size() == passes.names.size();
    bool boundary = length == boundaries[0] || length == boundaries[1];
    EXPECT_EQ(clean, boundary);
    if (boundary) {
      EXPECT_EQ(passes.names.size(), length == boundaries[0] ? 0u : 1u);
    }
  }
  EXPECT_EQ(readPasses(bytes).wholes.size(), 2u);
}

// Every byte of a small file flipped in turn: whatever the reader makes of
// it, it returns (the sanitizer build checks it reads and frees cleanly),
// and anything it does return is a well-formed variable.
TEST(MatV5Damage, EveryByteFlipped) {
  std::string variable = w.matrix(1, {1, 2}, "c", w.matrix(5, {2, 1}, "", int32s({1}) + int32s({0, 1}) + doubles({3})) +
                                                     w.matrix(4, {1, 2}, "", w.element(kUtf16, std::string("a\0b\0", 4))));
  for (bool compress : {false, true}) {
    std::string bytes = w.header() + (compress ? w.compressed(variable) : variable);
    for (size_t at = 116; at < bytes.size(); ++at) {
      std::string damaged = bytes;
      damaged[at] ^= 0xA5;
      Passes passes = readPasses(damaged);
      for (const standin::ArrayPtr &array : passes.wholes) {
        EXPECT_FALSE(array->name.empty()) << at;
        EXPECT_TRUE(array->hasData) << at;
      }
    }
  }
}

}  // namespace
