// The host's MAT-file operations (libmat), on the reader interface: open a
// file, list its variables and read them one after another. No exception
// leaves these functions: running out of memory is a failed call.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "mat.h"
#include "variable_reader.h"

struct MATFile_tag {
  std::unique_ptr<VariableReader> reader;
};

namespace {

// One block holding the pointers and then the strings, so that a single
// mxFree releases the whole list.
char **packNameList(const std::vector<std::string> &names) {
  size_t bytes = (names.size() + 1) * sizeof(char *);
  for (const std::string &name : names) bytes += name.size() + 1;
  char **list = static_cast<char **>(std::malloc(bytes));
  if (list == nullptr) return nullptr;
  char *text = reinterpret_cast<char *>(list + names.size() + 1);
  for (size_t i = 0; i < names.size(); ++i) {
    list[i] = text;
    std::memcpy(text, names[i].c_str(), names[i].size() + 1);
    text += names[i].size() + 1;
  }
  list[names.size()] = nullptr;
  return list;
}

mxArray *readNext(MATFile *mat, const char **name, bool whole) {
  if (mat == nullptr) return nullptr;
  standin::ArrayPtr array;
  try {
    array = whole ? mat->reader->nextWhole() : mat->reader->nextHeader();
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
  if (array && name != nullptr) *name = array->name.c_str();
  return array.release();
}

}  // namespace

extern "C" {

MATFile *matOpen(const char *fileName, const char *mode) {
  if (fileName == nullptr || mode == nullptr || std::strcmp(mode, "r") != 0) return nullptr;
  try {
    std::unique_ptr<MATFile> mat(new MATFile);
    mat->reader = openVariableReader(fileName);
    return mat->reader ? mat.release() : nullptr;
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

int matClose(MATFile *mat) {
  if (mat == nullptr) return EOF;
  bool closed = mat->reader->close();
  delete mat;
  return closed ? 0 : EOF;
}

char **matGetDir(MATFile *mat, int *count) {
  if (mat == nullptr) return nullptr;
  std::vector<std::string> names;
  try {
    if (!mat->reader->directory(names) || names.size() > static_cast<size_t>(INT32_MAX)) {
      return nullptr;
    }
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
  char **list = packNameList(names);
  if (list != nullptr && count != nullptr) *count = static_cast<int>(names.size());
  return list;
}

mxArray *matGetNextVariableInfo(MATFile *mat, const char **name) {
  return readNext(mat, name, false);
}

mxArray *matGetNextVariable(MATFile *mat, const char **name) { return readNext(mat, name, true); }

}  // extern "C"
