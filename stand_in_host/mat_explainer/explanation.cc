#include "explanation.h"

ExaminationSummary summarize(const FileExamination &examination) {
  ExaminationSummary summary;
  summary.variables = examination.variables.size();
  for (const VariableExamination &variable : examination.variables) {
    if (variable.fault.found) {
      summary.damaged.push_back(variableLabel(variable));
    } else {
      ++summary.intact;
    }
  }
  summary.locatedToEnd = !examination.stop.found;
  return summary;
}

std::string variableLabel(const VariableExamination &variable) {
  if (variable.described && !variable.name.empty()) return variable.name;
  std::string label = "variable " + std::to_string(variable.index);
  return label + (variable.described ? " (empty name)" : " (no name read)");
}
