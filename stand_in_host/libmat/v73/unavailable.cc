// Version 7.3 in a build without libhdf5 (the Windows cross-build): such
// files are recognized by their header, and refused.
#include "v73/examine.h"
#include "v73/examine_header.h"
#include "v73/version_reader.h"

namespace mat_v73 {

namespace {
std::unique_ptr<VariableReader> refuse(const char *, std::unique_ptr<FileBytes>) { return nullptr; }
}  // namespace

const VersionReader kVersionReader = {hasVersion73Header, refuse};

bool examine(const char *, const FileBytes &file, FileExamination &examination, std::string &why) {
  examineHeader(file, examination);
  why = "version 7.3 files need libhdf5, which this build lacks";
  return false;
}

bool salvage(const char *, const FileExamination &, const char *, std::string &why) {
  why = "version 7.3 files need libhdf5, which this build lacks";
  return false;
}

}  // namespace mat_v73
