// The version 7.3 reader of a build without libhdf5 (the Windows
// cross-build): such files are recognized but cannot be opened.
#include "v73/reader.h"

namespace mat_v73 {

File::~File() = default;

bool File::open(const char *, uint64_t) { return false; }

bool File::close() { return true; }

bool File::listVariableNames(std::vector<std::string> &) const { return false; }

mxArray *File::readVariable(size_t &, bool) const { return nullptr; }

}  // namespace mat_v73
