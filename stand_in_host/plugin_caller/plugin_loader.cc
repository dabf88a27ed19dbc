#include "plugin_loader.h"

#include <dlfcn.h>

namespace {

const char *const kGatewayNames[] = {"mexFunction", "_mexFunction"};

}  // namespace

bool loadPlugin(const std::string &path, LoadedPlugin &plugin, std::string &error) {
  // A name without a slash would be searched for on the library path; the
  // caller means a file.
  std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void *handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char *reason = dlerror();
    error = "cannot load plug-in " + path + ": " + (reason != nullptr ? reason : "unknown reason");
    return false;
  }
  for (const char *name : kGatewayNames) {
    void *symbol = dlsym(handle, name);
    if (symbol != nullptr) {
      plugin.handle = handle;
      plugin.gateway = reinterpret_cast<mexGateway *>(symbol);
      plugin.gatewayName = name;
      return true;
    }
  }
  dlclose(handle);
  error = "plug-in " + path + " exports neither mexFunction nor _mexFunction";
  return false;
}

void unloadPlugin(LoadedPlugin &plugin) {
  if (plugin.handle != nullptr) dlclose(plugin.handle);
  plugin = LoadedPlugin();
}
