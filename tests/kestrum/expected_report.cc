#include "expected_report.h"

namespace {

std::string variableLines(const char *source, const ReportVariable &variable) {
  return std::string("According to its ") + source + ", array " + variable.name + " has " +
         std::to_string(variable.dimensions) + " dimensions\n" + "  and was a " +
         (variable.global ? "global" : "local") + " variable when saved\n";
}

}  // namespace

std::string expectedReport(const std::string &fileName,
                           const std::vector<ReportVariable> &variables) {
  std::string report = reportOpening(fileName) + "Directory of " + fileName + ":\n";
  for (const ReportVariable &variable : variables) report += variable.name + "\n";
  report += "\nExamining the header for each variable:\n";
  for (const ReportVariable &variable : variables) report += variableLines("header", variable);
  report += "\nReading in the actual array contents:\n";
  for (const ReportVariable &variable : variables) report += variableLines("contents", variable);
  return report + "Done\n";
}

std::string reportOpening(const std::string &fileName) {
  return "Reading file " + fileName + "...\n\n";
}

std::string openingFailure(const std::string &fileName) {
  return reportOpening(fileName) + "Error opening file " + fileName + "\n";
}

std::string usageLine() {
  return "Usage: kestrum <matfile> where <matfile> is the name of the MAT-file to be diagnosed\n";
}

std::vector<std::string> failureLines(const std::string &fileName) {
  std::vector<std::string> lines;
  for (const char *start : {"Error opening file ", "Error reading directory of file ",
                            "Error closing file ", "Error reopening file ",
                            "Error reading in file "}) {
    lines.push_back(start + fileName + "\n");
  }
  return lines;
}

std::string lastLine(const std::string &text) {
  if (text.size() < 2) return text;
  size_t newline = text.rfind('\n', text.size() - 2);  // the end of the line before
  return newline == std::string::npos ? text : text.substr(newline + 1);
}
