// libhdf5 in this process, on request: the module libmat_v73_in_process,
// found beside libmat and loaded the first time a file is opened this way.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "v73/installed_beside_libmat.h"
#include "v73/plan_source.h"

namespace mat_v73 {

namespace {

constexpr char kModuleName[] = "libmat_v73_in_process.so";
using OpenInProcess = PlanSource *(*)(const char *path, int forExamination);

// The module's entry, or null if the module is missing or cannot be loaded.
OpenInProcess moduleEntry() {
  static const OpenInProcess entry = []() -> OpenInProcess {
    std::string module = installedBesideLibmat(kModuleName, nullptr, R_OK);
    void *handle = module.empty() ? nullptr : dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<OpenInProcess>(dlsym(handle, "mat_v73_open_in_process"));
  }();
  return entry;
}

}  // namespace

bool readsInThisProcess() {
  const char *choice = std::getenv("MAT_V73_READER");
  return choice != nullptr && std::strcmp(choice, "in-process") == 0;
}

std::unique_ptr<PlanSource> openInThisProcess(const char *path, bool forExamination) {
  OpenInProcess entry = moduleEntry();
  if (entry == nullptr) return nullptr;
  return std::unique_ptr<PlanSource>(entry(path, forExamination ? 1 : 0));
}

}  // namespace mat_v73
