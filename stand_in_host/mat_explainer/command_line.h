// The command line of kestrum-explain.
#ifndef STAND_IN_HOST_MAT_EXPLAINER_COMMAND_LINE_H
#define STAND_IN_HOST_MAT_EXPLAINER_COMMAND_LINE_H

#include <string>

struct ExplainRequest {
  bool help = false;
  bool version = false;
  bool json = false;
  std::string file;
  bool salvage = false;
  std::string salvagePath;
  bool force = false;  // salvage over an existing salvagePath
};

// Reads the arguments after the program's name; false with `error` set for
// a command line that does not fit the usage.
bool parseCommandLine(int argc, const char *const argv[], ExplainRequest &request, std::string &error);

extern const char kUsageText[];

#endif
