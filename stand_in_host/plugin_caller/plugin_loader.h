// Loading a plug-in file and finding its gateway.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_PLUGIN_LOADER_H
#define STAND_IN_HOST_PLUGIN_CALLER_PLUGIN_LOADER_H

#include <string>

#include "mex.h"

struct LoadedPlugin {
  void *handle = nullptr;
  mexGateway *gateway = nullptr;
  std::string gatewayName;  // the name it was found under
};

// Loads the file and looks for "mexFunction", then "_mexFunction". On
// failure returns false with `error` set; nothing stays loaded.
bool loadPlugin(const std::string &path, LoadedPlugin &plugin, std::string &error);
void unloadPlugin(LoadedPlugin &plugin);

#endif
