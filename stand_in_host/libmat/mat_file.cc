// The host's MAT-file operations (libmat): open a file, find its version,
// and hand each request to the reader of that version.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "mat.h"
#include "mat_v4_reader.h"
#include "mat_v5_reader.h"
#include "mat_v73_isolated.h"

enum class MatFormat { Version4, Version5, Version73 };

#if defined(MAT_V73_IN_PROCESS)
using V73File = mat_v73::File;  // a build that measures what the reader process costs
#else
using V73File = mat_v73::IsolatedFile;  // libhdf5 runs in a reader process of its own
#endif

struct MATFile_tag {
  FileBytes file;
  MatFormat format = MatFormat::Version5;
  mat_v5::FileHeader v5Header;
  uint64_t nextOffset = 0;  // where the next variable's record or element starts
  V73File v73File;
  size_t nextIndex = 0;  // version 7.3: the next variable's place in the directory
};

namespace {

bool detectFormat(MATFile &mat, const char *fileName) {
  if (mat_v73::hasVersion73Header(mat.file)) {
    mat.format = MatFormat::Version73;
    return mat.v73File.open(fileName, mat.file.size());
  }
  if (mat_v5::readFileHeader(mat.file, mat.v5Header)) {
    mat.format = MatFormat::Version5;
    mat.nextOffset = mat.v5Header.firstElement;
    return true;
  }
  if (mat_v4::looksLikeVersion4(mat.file)) {
    mat.format = MatFormat::Version4;
    mat.nextOffset = 0;
    return true;
  }
  return false;
}

bool listNames(const MATFile &mat, std::vector<std::string> &names) {
  switch (mat.format) {
    case MatFormat::Version4: return mat_v4::listVariableNames(mat.file, names);
    case MatFormat::Version5: return mat_v5::listVariableNames(mat.file, mat.v5Header, names);
    case MatFormat::Version73: return mat.v73File.listVariableNames(names);
  }
  return false;
}

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
  mxArray *array = nullptr;
  try {
    switch (mat->format) {
      case MatFormat::Version4:
        array = mat_v4::readVariable(mat->file, mat->nextOffset, whole);
        break;
      case MatFormat::Version5:
        array = mat_v5::readVariable(mat->file, mat->v5Header, mat->nextOffset, whole);
        break;
      case MatFormat::Version73:
        array = mat->v73File.readVariable(mat->nextIndex, whole);
        break;
    }
  } catch (const std::bad_alloc &) {
    array = nullptr;
  }
  if (array != nullptr && name != nullptr) *name = array->name.c_str();
  return array;
}

}  // namespace

extern "C" {

MATFile *matOpen(const char *fileName, const char *mode) {
  if (fileName == nullptr || mode == nullptr || std::strcmp(mode, "r") != 0) return nullptr;
  std::unique_ptr<MATFile> mat(new (std::nothrow) MATFile);
  if (!mat || !mat->file.open(fileName) || !detectFormat(*mat, fileName)) return nullptr;
  return mat.release();
}

int matClose(MATFile *mat) {
  if (mat == nullptr) return EOF;
  bool closed = mat->v73File.close();
  closed = mat->file.close() && closed;
  delete mat;
  return closed ? 0 : EOF;
}

char **matGetDir(MATFile *mat, int *count) {
  if (mat == nullptr) return nullptr;
  std::vector<std::string> names;
  try {
    if (!listNames(*mat, names) || names.size() > static_cast<size_t>(INT32_MAX)) return nullptr;
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
