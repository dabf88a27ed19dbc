#include "salvage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

#ifdef _WIN32
// The volume and the file's index on it name a file, whatever path reaches it.
bool fileIdentity(const std::string &path, BY_HANDLE_FILE_INFORMATION &information) {
  HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(handle, &information) != 0;
  CloseHandle(handle);
  return known;
}

bool sameFile(const std::string &first, const std::string &second) {
  BY_HANDLE_FILE_INFORMATION a, b;
  return fileIdentity(first, a) && fileIdentity(second, b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
#else
// The device and the inode name a file, whatever path reaches it.
bool sameFile(const std::string &first, const std::string &second) {
  struct stat a, b;
  return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

// A link that leads nowhere exists too: writing to it would create its target.
bool exists(const std::string &path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}
#endif

}  // namespace

bool salvageTargetAllowed(const std::string &file, const std::string &out, bool overwrite, std::string &why) {
  if (out == file || sameFile(file, out)) {
    why = "will not salvage into " + out + ": it is the file examined";
    return false;
  }
  if (!overwrite && exists(out)) {
    why = "will not salvage into " + out + ": it exists (--force writes over it)";
    return false;
  }
  return true;
}

SalvageOutcome salvageIntactVariables(const std::string &file, const FileExamination &examination,
                                      const std::string &out, bool overwrite) {
  SalvageOutcome outcome;
  outcome.outPath = out;
  outcome.salvaged = summarize(examination).intact;
  if (outcome.salvaged == 0) {
    outcome.why = "no variable is intact";
    return outcome;
  }
  outcome.written = salvageFile(file.c_str(), examination, out.c_str(), overwrite, outcome.why);
  if (!outcome.written) outcome.salvaged = 0;
  return outcome;
}
