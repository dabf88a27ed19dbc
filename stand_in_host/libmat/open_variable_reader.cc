// Finding a file's version: each version's reader is asked in turn whether
// it recognizes the file, and the first that does opens it. Version 7.3
// comes first (its header is a version 5 header of another version
// number), version 4 last (it has no header, only a plausible record).
#include <new>

#include "v4/reader.h"
#include "v5/reader.h"
#include "v73/version_reader.h"
#include "variable_reader.h"

namespace {
const VersionReader *const kVersionReaders[] = {&mat_v73::kVersionReader,
                                                &mat_v5::kVersionReader,
                                                &mat_v4::kVersionReader};
}  // namespace

std::unique_ptr<VariableReader> openVariableReader(const char *path) {
  std::unique_ptr<FileBytes> file(new FileBytes);
  if (!file->open(path)) return nullptr;
  for (const VersionReader *version : kVersionReaders) {
    if (version->recognizes(*file)) return version->open(path, std::move(file));
  }
  return nullptr;
}
