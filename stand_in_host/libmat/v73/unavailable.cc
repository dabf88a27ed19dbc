// Version 7.3 in a build without libhdf5 (the Windows cross-build): such
// files are recognized by their header, and refused.
#include "v73/version_reader.h"

namespace mat_v73 {

namespace {
std::unique_ptr<VariableReader> refuse(const char *, std::unique_ptr<FileBytes>) { return nullptr; }
}  // namespace

const VersionReader kVersionReader = {hasVersion73Header, refuse};

}  // namespace mat_v73
