#include "diagnose_mat_file.h"

#include <cstdio>

#include "mat.h"

namespace {

// Prints a report message that names the file, and gives the failure status.
int failWith(const char *format, const char *fileName) {
  std::printf(format, fileName);
  return 1;
}

void printGlobalFlag(const mxArray *array) {
  if (mxIsFromGlobalWS(array)) {
    std::printf("  and was a global variable when saved\n");
  } else {
    std::printf("  and was a local variable when saved\n");
  }
}

// The first pass: the directory of variable names. Stores the count.
int listDirectory(const char *fileName, int &count) {
  MATFile *mat = matOpen(fileName, "r");
  if (mat == nullptr) return failWith("Error opening file %s\n", fileName);

  char **names = matGetDir(mat, &count);
  if (names == nullptr) return failWith("Error reading directory of file %s\n", fileName);
  std::printf("Directory of %s:\n", fileName);
  for (int i = 0; i < count; ++i) std::printf("%s\n", names[i]);
  mxFree(names);

  if (matClose(mat) != 0) return failWith("Error closing file %s\n", fileName);
  return 0;
}

typedef mxArray *ReadVariable(MATFile *, const char **);

// A later pass: reopens the file and reads `count` variables with `read`,
// printing each one's dimension count and global flag.
int examineVariables(const char *fileName, int count, const char *heading, ReadVariable *read,
                     const char *dimensionsLine) {
  MATFile *mat = matOpen(fileName, "r");
  if (mat == nullptr) return failWith("Error reopening file %s\n", fileName);
  std::printf("%s", heading);

  for (int i = 0; i < count; ++i) {
    const char *name = nullptr;
    mxArray *array = read(mat, &name);
    if (array == nullptr) return failWith("Error reading in file %s\n", fileName);
    std::printf(dimensionsLine, name, static_cast<int>(mxGetNumberOfDimensions_700(array)));
    printGlobalFlag(array);
    mxDestroyArray(array);
  }

  if (matClose(mat) != 0) return failWith("Error closing file %s\n", fileName);
  return 0;
}

}  // namespace

int diagnoseMatFile(const char *fileName) {
  std::printf("Reading file %s...\n\n", fileName);

  int count = 0;
  if (listDirectory(fileName, count) != 0) return 1;

  if (examineVariables(fileName, count, "\nExamining the header for each variable:\n",
                       matGetNextVariableInfo,
                       "According to its header, array %s has %d dimensions\n") != 0) {
    return 1;
  }
  if (examineVariables(fileName, count, "\nReading in the actual array contents:\n",
                       matGetNextVariable,
                       "According to its contents, array %s has %d dimensions\n") != 0) {
    return 1;
  }

  std::printf("Done\n");
  return 0;
}
