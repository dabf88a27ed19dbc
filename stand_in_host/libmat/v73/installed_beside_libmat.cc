#include "v73/installed_beside_libmat.h"

#include <dlfcn.h>
#include <unistd.h>

namespace mat_v73 {

namespace {

// The directory libmat was loaded from.
std::string libraryDirectory() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void *>(&installedBesideLibmat), &info) == 0 ||
      info.dli_fname == nullptr) {
    return std::string();
  }
  std::string path = info.dli_fname;
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

std::string installedBesideLibmat(const char *name, const char *alsoIn, int mode) {
  std::string directory = libraryDirectory();
  std::string candidate = directory + "/" + name;
  if (access(candidate.c_str(), mode) == 0) return candidate;
  if (alsoIn != nullptr) {
    candidate = directory + "/" + alsoIn + "/" + name;
    if (access(candidate.c_str(), mode) == 0) return candidate;
  }
  return std::string();
}

}  // namespace mat_v73
