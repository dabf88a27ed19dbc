// The command line of call_plugin.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_COMMAND_LINE_H
#define STAND_IN_HOST_PLUGIN_CALLER_COMMAND_LINE_H

#include <string>
#include <vector>

struct InputSource {
  bool fromMatFile = false;
  std::string text;  // a literal, or the file of a MAT-file variable
  std::string variable;
};

struct CallRequest {
  bool help = false;
  bool version = false;
  std::string pluginPath;
  std::vector<InputSource> inputs;  // in the order given
  int nlhs = 1;
};

// Reads the arguments after the program's name; false with `error` set for
// a command line that does not fit the usage.
bool parseCommandLine(int argc, const char *const argv[], CallRequest &request, std::string &error);

extern const char kUsageText[];

#endif
