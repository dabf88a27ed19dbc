// What the stand-in libmat hands out for a file, read the ways kestrum reads
// it: the directory, then each variable's header, then each variable whole.
#ifndef TESTS_SUPPORT_MAT_READING_H
#define TESTS_SUPPORT_MAT_READING_H

#include <string>
#include <vector>

#include "mx_array.h"

struct Directory {
  bool opened = false;
  bool listed = false;             // matGetDir gave a list
  std::vector<std::string> names;  // its names
};
Directory readDirectory(const std::string &path);

// matGetNextVariable (`whole`) or matGetNextVariableInfo until it returns
// null; each array carries the name that came with it.
std::vector<standin::ArrayPtr> readEachVariable(const std::string &path, bool whole);

// The three passes over `bytes`, written to the running test's file (the
// later passes run even when an earlier one failed, once the file opened).
struct Passes {
  bool opened = false;
  bool listed = false;
  std::vector<std::string> names;
  std::vector<standin::ArrayPtr> headers;
  std::vector<standin::ArrayPtr> wholes;
};
Passes readPasses(const std::string &bytes);

// The array's real (or imaginary) values as doubles, whatever its class.
std::vector<double> valuesOf(const mxArray &array, bool imaginary = false);

#endif
