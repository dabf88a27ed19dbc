#include "mat_v5_reader.h"
namespace mat_v5 {
bool readFileHeader(const FileBytes &, FileHeader &) { return false; }
bool listVariableNames(const FileBytes &, const FileHeader &, std::vector<std::string> &) { return false; }
mxArray *readVariable(const FileBytes &, const FileHeader &, uint64_t &, bool) { return nullptr; }
}
