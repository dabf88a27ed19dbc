// The one interface through which the host's MAT-file operations read a
// file, whatever its version: its directory of variables, then each
// variable in turn, as a header or whole. Each version has a reader of its
// own behind it (v4/, v5/ for versions 5, 6 and 7, v73/).
#ifndef STAND_IN_HOST_LIBMAT_VARIABLE_READER_H
#define STAND_IN_HOST_LIBMAT_VARIABLE_READER_H

#include <memory>
#include <string>
#include <vector>

#include "common/file_bytes.h"
#include "mx_array.h"

class VariableReader {
 public:
  virtual ~VariableReader() = default;

  // The names of all variables, in file order; false if the directory
  // cannot be read whole. Does not move the reading position.
  virtual bool directory(std::vector<std::string> &names) = 0;
  // The next variable: its header (class, dimensions, flags, name; no
  // data), or the whole variable, every byte of it checked. Null at the
  // end of the file or for a damaged variable. The array's `name` is set.
  virtual standin::ArrayPtr nextHeader() = 0;
  virtual standin::ArrayPtr nextWhole() = 0;
  // Closes the file; false if closing failed.
  virtual bool close() = 0;
  // All of these may throw std::bad_alloc when memory runs out.
};

// How one version is recognized and opened.
struct VersionReader {
  // True if the file's first bytes say it is of this version.
  bool (*recognizes)(const FileBytes &file);
  // A reader of the file `path`, already open as `file`; null if it cannot
  // be read as this version after all.
  std::unique_ptr<VariableReader> (*open)(const char *path, std::unique_ptr<FileBytes> file);
};

// A reader of the file at `path`: the first version that recognizes it
// opens it. Null if the file cannot be opened or no version recognizes it.
std::unique_ptr<VariableReader> openVariableReader(const char *path);

#endif
