#include "mat_v5_fixture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>

namespace v5fixture {

std::string Writer::stored(uint32_t type, const std::vector<double> &values) const {
  std::string bytes;
  for (double v : values) {
    switch (type) {
      case kInt8: bytes += number(static_cast<int8_t>(v)); break;
      case kUint8: bytes += number(static_cast<uint8_t>(v)); break;
      case kInt16: bytes += number(static_cast<int16_t>(v)); break;
      case kUint16: bytes += number(static_cast<uint16_t>(v)); break;
      case kInt32: bytes += number(static_cast<int32_t>(v)); break;
      case kUint32: bytes += number(static_cast<uint32_t>(v)); break;
      case kSingle: bytes += number(static_cast<float>(v)); break;
      case kInt64: bytes += number(static_cast<int64_t>(v)); break;
      case kUint64: bytes += number(static_cast<uint64_t>(v)); break;
      default: bytes += number(v); break;
    }
  }
  return bytes;
}

std::string Writer::rawElement(uint32_t type, uint32_t nbytes, const std::string &data) const {
  return number(type) + number(nbytes) + data;
}

std::string Writer::element(uint32_t type, const std::string &data) const {
  std::string padding((8 - data.size() % 8) % 8, '\0');
  return rawElement(type, static_cast<uint32_t>(data.size()), data + padding);
}

std::string Writer::smallElement(uint32_t type, const std::string &data) const {
  uint32_t word = (static_cast<uint32_t>(data.size()) << 16) | type;
  return number(word) + data + std::string(4 - data.size(), '\0');
}

std::string Writer::flags(uint32_t classAndFlags, uint32_t nzmax) const {
  return element(kUint32, number(classAndFlags) + number(nzmax));
}

std::string Writer::dims(const std::vector<int32_t> &values) const {
  return element(kInt32, numbers(values));
}

std::string Writer::matrix(uint32_t classAndFlags, const std::vector<int32_t> &dimensions,
                           const std::string &arrayName, const std::string &contents) const {
  return element(kMatrix, flags(classAndFlags) + dims(dimensions) + name(arrayName) + contents);
}

std::string Writer::compressed(const std::string &matrixElement) const {
  uLongf size = compressBound(matrixElement.size());
  std::string packed(size, '\0');
  compress(reinterpret_cast<Bytef *>(&packed[0]), &size,
           reinterpret_cast<const Bytef *>(matrixElement.data()), matrixElement.size());
  packed.resize(size);
  return rawElement(kCompressed, static_cast<uint32_t>(packed.size()), packed);
}

std::string Writer::header(uint64_t subsystem) const {
  std::string text = "MATLAB 5.0 MAT-file, written by the reader's tests";
  text.resize(116, ' ');
  text += subsystem == 0 ? std::string(8, ' ') : number(subsystem);
  text += number(uint16_t(0x0100));
  text += big ? "MI" : "IM";
  return text;
}

// Named after the running test, since ctest runs tests side by side.
std::string writeFile(const std::string &bytes) {
  static int serial = 0;
  const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  for (char &c : name)
    if (c == '/') c = '_';
  std::string path = ::testing::TempDir() + "mat_v5_" + name + "_" + std::to_string(++serial) + ".mat";
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

namespace {

void readEach(const std::string &path, bool whole, std::vector<standin::ArrayPtr> &arrays) {
  MatPtr mat(matOpen(path.c_str(), "r"));
  if (!mat) return;
  for (;;) {
    const char *name = nullptr;
    standin::ArrayPtr array(whole ? matGetNextVariable(mat.get(), &name)
                                  : matGetNextVariableInfo(mat.get(), &name));
    if (!array) return;
    EXPECT_EQ(std::string(name), array->name);
    arrays.push_back(std::move(array));
  }
}

template <typename T>
void appendValues(const void *data, size_t count, std::vector<double> &values) {
  for (size_t i = 0; i < count; ++i) values.push_back(static_cast<double>(static_cast<const T *>(data)[i]));
}

}  // namespace

Passes readPasses(const std::string &bytes) {
  std::string path = writeFile(bytes);
  Passes passes;
  {
    MatPtr mat(matOpen(path.c_str(), "r"));
    if (!mat) return passes;
    passes.opened = true;
    int count = -1;
    char **names = matGetDir(mat.get(), &count);
    if (names != nullptr) {
      passes.listed = true;
      passes.names.assign(names, names + count);
      mxFree(names);
    }
  }
  readEach(path, false, passes.headers);
  readEach(path, true, passes.wholes);
  return passes;
}

std::vector<double> valuesOf(const mxArray &array, bool imaginary) {
  const void *data = imaginary ? array.imag : array.real;
  size_t count = array.isSparse ? array.nzmax : standin::numberOfElements(array);
  std::vector<double> values;
  if (data == nullptr) return values;
  switch (array.cls) {
    case ArrayClass::Double: appendValues<double>(data, count, values); break;
    case ArrayClass::Single: appendValues<float>(data, count, values); break;
    case ArrayClass::Int8: appendValues<int8_t>(data, count, values); break;
    case ArrayClass::Uint8:
    case ArrayClass::Logical: appendValues<uint8_t>(data, count, values); break;
    case ArrayClass::Int16: appendValues<int16_t>(data, count, values); break;
    case ArrayClass::Uint16:
    case ArrayClass::Char: appendValues<uint16_t>(data, count, values); break;
    case ArrayClass::Int32: appendValues<int32_t>(data, count, values); break;
    case ArrayClass::Uint32: appendValues<uint32_t>(data, count, values); break;
    case ArrayClass::Int64: appendValues<int64_t>(data, count, values); break;
    case ArrayClass::Uint64: appendValues<uint64_t>(data, count, values); break;
    default: break;
  }
  return values;
}

}  // namespace v5fixture
