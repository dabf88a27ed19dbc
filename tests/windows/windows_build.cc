#include "windows_build.h"

std::string windowsBinary(const std::string &fileName) {
  return std::string(WINDOWS_BIN_DIR) + "/" + fileName;
}

std::string objdumpProgram() { return MINGW_OBJDUMP; }

namespace {

// Runs `arguments` under Wine, in the tests' own prefix and without Wine's
// diagnostics on standard error.
ProcessResult runWine(const std::vector<std::string> &arguments, int timeoutSeconds) {
  std::vector<std::string> argv{WINE_PROGRAM};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ProcessOptions options;
  options.environment = {"WINEPREFIX=" WINE_PREFIX, "WINEDEBUG=-all"};
  options.timeoutSeconds = timeoutSeconds;
  return runProcess(argv, options);
}

std::string probeWine() {
  if (std::string(WINE_PROGRAM).empty()) {
    return "Wine was not found when the build was configured: not run under Wine";
  }
  ProcessResult started = runWine({"cmd", "/c", "exit"}, 240);
  if (!started.exited || started.status != 0) {
    return "Wine cannot start here (wine cmd /c exit: " + describe(started) +
           "): not run under Wine";
  }
  return "";
}

}  // namespace

const std::string &wineUnavailable() {
  static const std::string reason = probeWine();
  return reason;
}

ProcessResult runUnderWine(const std::string &program, const std::vector<std::string> &arguments,
                           int timeoutSeconds) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runWine(argv, timeoutSeconds);
}

std::string withCrlf(const std::string &text) {
  std::string converted;
  for (char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}
