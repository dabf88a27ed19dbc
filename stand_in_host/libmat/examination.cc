// Examining a file: its version is found as the readers find it, and the
// examiner of that version looks at it. Salvage writes into a temporary file
// beside the output and renames it when complete, so that a failed salvage
// leaves nothing behind and never touches the file examined.
#include "examination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "common/file_bytes.h"
#include "common/open_flags.h"
#include "v4/examine.h"
#include "v4/reader.h"
#include "v5/examine.h"
#include "v5/reader.h"
#include "v73/examine.h"
#include "v73/version_reader.h"

bool examineFile(const char *path, FileExamination &examination, std::string &why) {
  examination = FileExamination();
  FileBytes file;
  if (!file.open(path)) {
    why = "cannot be opened as a regular file";
    return false;
  }
  examination.fileBytes = file.size();
  if (mat_v73::hasVersion73Header(file)) return mat_v73::examine(path, file, examination, why);
  mat_v5::FileHeader header;
  if (mat_v5::readFileHeader(file, header)) {
    mat_v5::examine(file, header, examination);
    return true;
  }
  if (mat_v4::kVersionReader.recognizes(file)) {
    mat_v4::examine(file, examination);
    return true;
  }
  why = "not a MAT-file: no version 5 to 7.3 header, and no version 4 record at its start";
  return false;
}

namespace {

// True if `a` and `b` name the same file.
bool sameFile(const char *a, const char *b) {
  struct stat first, second;
  return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

bool writeSalvage(const char *path, const FileExamination &examination, const std::string &to,
                  std::string &why) {
  FileBytes file;
  if (!file.open(path)) {
    why = "the file examined cannot be opened again";
    return false;
  }
  if (examination.version == "7.3") return mat_v73::salvage(path, examination, to.c_str(), why);
  int out = ::open(to.c_str(), O_WRONLY | O_TRUNC | O_BINARY | O_CLOEXEC);
  if (out < 0) {
    why = "the salvaged file cannot be written";
    return false;
  }
  bool written = false;
  mat_v5::FileHeader header;
  if (examination.version == "4") {
    written = mat_v4::salvage(file, examination, out, why);
  } else if (mat_v5::readFileHeader(file, header)) {
    written = mat_v5::salvage(file, header, examination, out, why);
  } else {
    why = "the file examined has changed";
  }
  if (::close(out) != 0 && written) {
    why = "writing the salvaged file failed";
    written = false;
  }
  return written;
}

}  // namespace

bool salvageFile(const char *path, const FileExamination &examination, const char *outPath,
                 bool overwrite, std::string &why) {
  bool anyIntact = false;
  for (const VariableExamination &v : examination.variables) anyIntact = anyIntact || !v.fault.found;
  if (examination.version == "4" && !anyIntact) {
    why = "no variable is intact, and a version 4 file cannot be empty";
    return false;
  }
  struct stat existing;
  bool exists = stat(outPath, &existing) == 0;
  if (exists && sameFile(path, outPath)) {
    why = "the salvaged file would overwrite the file examined";
    return false;
  }
  if (exists && !overwrite) {
    why = "the salvaged file already exists";
    return false;
  }
  // A temporary file beside the output, renamed over it when complete.
  std::string partial = std::string(outPath) + ".partial-XXXXXX";
  int fd = mkstemp(&partial[0]);
  if (fd < 0) {
    why = "no file can be created beside the salvaged file";
    return false;
  }
#if !defined(_WIN32)
  // The permissions a new file gets, not mkstemp's private ones.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
#endif
  ::close(fd);
  bool written = writeSalvage(path, examination, partial, why);
  if (written && std::rename(partial.c_str(), outPath) != 0) {
    why = "the salvaged file cannot be put in place";
    written = false;
  }
  if (!written) std::remove(partial.c_str());
  return written;
}
