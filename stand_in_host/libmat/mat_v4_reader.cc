#include "mat_v4_reader.h"
namespace mat_v4 {
bool looksLikeVersion4(const FileBytes &) { return false; }
bool listVariableNames(const FileBytes &, std::vector<std::string> &) { return false; }
mxArray *readVariable(const FileBytes &, uint64_t &, bool) { return nullptr; }
}
