#include "mat_reading.h"

#include <gtest/gtest.h>

#include "files.h"
#include "mat.h"

namespace {

template <typename T>
void appendValues(const void *data, size_t count, std::vector<double> &values) {
  for (size_t i = 0; i < count; ++i) values.push_back(static_cast<double>(static_cast<const T *>(data)[i]));
}

}  // namespace

Directory readDirectory(const std::string &path) {
  Directory directory;
  MATFile *mat = matOpen(path.c_str(), "r");
  if (mat == nullptr) return directory;
  directory.opened = true;
  int count = -1;
  if (char **names = matGetDir(mat, &count)) {
    directory.listed = true;
    directory.names.assign(names, names + count);
    mxFree(names);
  }
  EXPECT_EQ(matClose(mat), 0) << path;
  return directory;
}

std::vector<standin::ArrayPtr> readEachVariable(const std::string &path, bool whole) {
  std::vector<standin::ArrayPtr> arrays;
  MATFile *mat = matOpen(path.c_str(), "r");
  if (mat == nullptr) return arrays;
  for (;;) {
    const char *name = nullptr;
    standin::ArrayPtr array(whole ? matGetNextVariable(mat, &name) : matGetNextVariableInfo(mat, &name));
    if (!array) break;
    EXPECT_EQ(std::string(name), array->name);
    arrays.push_back(std::move(array));
  }
  EXPECT_EQ(matClose(mat), 0) << path;
  return arrays;
}

Passes readPasses(const std::string &bytes) {
  std::string path = writeTestFile("mat_v5", bytes);
  Passes passes;
  Directory directory = readDirectory(path);
  if (!directory.opened) return passes;
  passes.opened = true;
  passes.listed = directory.listed;
  passes.names = std::move(directory.names);
  passes.headers = readEachVariable(path, false);
  passes.wholes = readEachVariable(path, true);
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
