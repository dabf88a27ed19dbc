// libFuzzer target over the examination and salvage of MAT-files: the
// input's bytes become a file that is examined and salvaged. The oracle:
// every salvaged file gets kestrum's complete report, and its examination
// finds every variable intact. Version 7.3 inputs go through the reader
// process, as kestrum-explain runs them.
#include <sys/wait.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "diagnose_mat_file.h"
#include "examination.h"
#include "scratch_file.h"

namespace {
std::string salvagePath;
void removeSalvage() { std::remove(salvagePath.c_str()); }
}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  createScratchFile("explain-fuzz");
  salvagePath = std::string(scratchFilePath()) + ".salvaged.mat";
  std::atexit(removeSalvage);
  silenceStandardOutput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  writeScratchFile(data, size);
  FileExamination examination;
  std::string why;
  bool examined = examineFile(scratchFilePath(), examination, why);
  if (examined && salvageFile(scratchFilePath(), examination, salvagePath.c_str(), true, why)) {
    if (diagnoseMatFile(salvagePath.c_str()) != 0) std::abort();  // a salvaged file reads whole
    FileExamination again;
    if (!examineFile(salvagePath.c_str(), again, why)) std::abort();
    for (const VariableExamination &v : again.variables) {
      if (v.fault.found) std::abort();
    }
    if (again.stop.found) std::abort();
  }
  std::fflush(stdout);
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
  return 0;
}
