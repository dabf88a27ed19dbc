// What kestrum-explain reports on one file: the examination, the salvage
// when one was asked for, and the summary both reports end with.
#ifndef STAND_IN_HOST_MAT_EXPLAINER_EXPLANATION_H
#define STAND_IN_HOST_MAT_EXPLAINER_EXPLANATION_H

#include <cstdint>
#include <string>
#include <vector>

#include "examination.h"

// What came of --salvage.
struct SalvageOutcome {
  std::string outPath;
  bool written = false;   // outPath holds the salvaged variables
  uint64_t salvaged = 0;  // how many: the intact ones
  std::string why;        // not written: why (nothing intact, or the writer's reason)
};

struct Explanation {
  std::string file;  // as given on the command line
  FileExamination examination;
  bool salvageAsked = false;
  SalvageOutcome salvage;
};

struct ExaminationSummary {
  uint64_t variables = 0;  // located
  uint64_t intact = 0;
  std::vector<std::string> damaged;  // variableLabel of each damaged variable, in file order
  bool locatedToEnd = true;          // locating did not stop early
  bool allIntact() const { return intact == variables && locatedToEnd; }
};

ExaminationSummary summarize(const FileExamination &examination);

// The variable's name; "variable N (no name read)" for one not described
// and "variable N (empty name)" for one whose name is empty, N its index.
std::string variableLabel(const VariableExamination &variable);

#endif
