// kestrum-explain: examines a MAT-file closely and reports, as text or as
// JSON, where it is damaged and what survives; with --salvage, copies the
// intact variables into a new file. See kUsageText for the command line.
#include <cstdio>
#include <new>
#include <string>

#include "command_line.h"
#include "escaping.h"
#include "examination.h"
#include "explanation.h"
#include "json_report.h"
#include "project_version.h"
#include "salvage.h"
#include "text_report.h"

namespace {

constexpr int kAllIntact = 0;
constexpr int kDamageFound = 1;
constexpr int kCannotExplain = 2;

const char kVersionText[] = "kestrum-explain " PROJECT_VERSION_TEXT "\n" PROJECT_LICENCE_TEXT;

// A message for exit status 2, on standard error. Its text may hold bytes
// of the command line or of the file: they are written as data.
int cannotExplain(const std::string &message) {
  std::fputs(("kestrum-explain: " + escapedText(message) + "\n").c_str(), stderr);
  return kCannotExplain;
}

int usageError(const std::string &message) {
  cannotExplain(message);
  std::fputs("Try 'kestrum-explain --help'.\n", stderr);
  return kCannotExplain;
}

bool writeOut(const std::string &text) {
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

int explain(const ExplainRequest &request) {
  std::string why;
  // Refused before the examination, which may take long on a large file.
  if (request.salvage && !salvageTargetAllowed(request.file, request.salvagePath, request.force, why)) {
    return cannotExplain(why);
  }
  Explanation explanation;
  explanation.file = request.file;
  if (!examineFile(request.file.c_str(), explanation.examination, why)) return cannotExplain(request.file + ": " + why);
  const ExaminationSummary summary = summarize(explanation.examination);
  bool salvageFailed = false;
  if (request.salvage) {
    explanation.salvageAsked = true;
    explanation.salvage =
        salvageIntactVariables(request.file, explanation.examination, request.salvagePath, request.force);
    salvageFailed = summary.intact != 0 && !explanation.salvage.written;
  }
  if (!writeOut(request.json ? jsonReport(explanation) : textReport(explanation))) {
    return cannotExplain("cannot write the report to standard output");
  }
  if (salvageFailed) return cannotExplain("cannot salvage into " + request.salvagePath + ": " + explanation.salvage.why);
  return summary.allIntact() ? kAllIntact : kDamageFound;
}

}  // namespace

int main(int argc, char *argv[]) {
  ExplainRequest request;
  std::string error;
  if (!parseCommandLine(argc - 1, argv + 1, request, error)) return usageError(error);
  if (request.help) return writeOut(kUsageText) ? 0 : kCannotExplain;
  if (request.version) return writeOut(kVersionText) ? 0 : kCannotExplain;
  try {
    return explain(request);
  } catch (const std::bad_alloc &) {
    return cannotExplain("out of memory");
  }
}
