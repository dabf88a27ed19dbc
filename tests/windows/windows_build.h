// Where the Windows build (the windows-i686 preset) and the tools that
// examine and run it are, as this build was configured.
#ifndef TESTS_WINDOWS_WINDOWS_BUILD_H
#define TESTS_WINDOWS_WINDOWS_BUILD_H

#include <string>
#include <vector>

#include "run_process.h"

// A file the Windows build put in its bin directory, such as "kestrum.exe".
std::string windowsBinary(const std::string &fileName);

// MinGW-w64's objdump, which reads PE files.
std::string objdumpProgram();

// Why Windows programs cannot be run here, or empty when Wine starts them.
// Wine is asked once per process.
const std::string &wineUnavailable();

// Runs the Windows program `program` under Wine with `arguments`.
ProcessResult runUnderWine(const std::string &program, const std::vector<std::string> &arguments,
                           int timeoutSeconds = 60);

// `text` with each "\n" as "\r\n": what a text stream writes on Windows.
std::string withCrlf(const std::string &text);

#endif
