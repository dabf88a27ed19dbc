#include "mat_variable.h"

#include "mat.h"

ArrayPtr readMatVariable(const std::string &file, const std::string &name, std::string &error) {
  MATFile *mat = matOpen(file.c_str(), "r");
  if (mat == nullptr) {
    error = "cannot open MAT-file " + file;
    return nullptr;
  }
  ArrayPtr found;
  const char *variableName = nullptr;
  while (!found) {
    ArrayPtr variable(matGetNextVariable(mat, &variableName));
    if (!variable) break;
    if (variableName != nullptr && name == variableName) found = std::move(variable);
  }
  matClose(mat);
  if (!found) error = "MAT-file " + file + " holds no readable variable named " + name;
  return found;
}
