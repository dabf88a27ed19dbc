// The report kestrum writes, built from a short description of a file's
// variables, and the texts that can end a report.
#ifndef TESTS_KESTRUM_EXPECTED_REPORT_H
#define TESTS_KESTRUM_EXPECTED_REPORT_H

#include <string>
#include <vector>

struct ReportVariable {
  std::string name;
  int dimensions;
  bool global;
};

// The complete report of `fileName` (as given on the command line) holding
// `variables`, from "Reading file" to "Done".
std::string expectedReport(const std::string &fileName,
                           const std::vector<ReportVariable> &variables);

// How every report of `fileName` starts: its first line and a blank line.
std::string reportOpening(const std::string &fileName);

// The whole report of a file that cannot be opened.
std::string openingFailure(const std::string &fileName);

// The one line written when no file name is given.
std::string usageLine();

// Every line that ends a report early, with `fileName` filled in.
std::vector<std::string> failureLines(const std::string &fileName);

// The last line of `text`, line end included; empty if there is none.
std::string lastLine(const std::string &text);

#endif
