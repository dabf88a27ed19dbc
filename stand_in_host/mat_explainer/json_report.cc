#include "json_report.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "escaping.h"

namespace {

// An object's members, each a name and a value already written as JSON.
using Members = std::vector<std::pair<const char *, std::string>>;

std::string joined(const std::vector<std::string> &values, const char *separator) {
  std::string json;
  for (size_t i = 0; i < values.size(); ++i) json += (i == 0 ? "" : separator) + values[i];
  return json;
}

std::string object(const Members &members, const char *separator) {
  std::vector<std::string> written;
  for (const auto &member : members) written.push_back("\"" + std::string(member.first) + "\": " + member.second);
  return "{" + joined(written, separator) + "}";
}

std::string array(const std::vector<std::string> &values) { return "[" + joined(values, ", ") + "]"; }

std::string number(uint64_t value) { return std::to_string(value); }
std::string boolean(bool value) { return value ? "true" : "false"; }
const char kNull[] = "null";

std::string faultJson(const Fault &fault) {
  if (!fault.found) return kNull;
  return object({{"what", jsonString(fault.what)},
                 {"at", fault.placed ? number(fault.at) : kNull},
                 {"inflatedAt", fault.inInflated ? number(fault.inflatedAt) : kNull}},
                ", ");
}

std::string variableJson(const VariableExamination &variable) {
  std::vector<std::string> dims;
  for (uint64_t dim : variable.dims) dims.push_back(number(dim));
  const bool described = variable.described;
  return object({{"index", number(variable.index)},
                 {"offset", number(variable.offset)},
                 {"storedBytes", number(variable.storedBytes)},
                 {"storage", jsonString(variable.storage)},
                 {"inflatedBytes", variable.inflatedBytes != 0 ? number(variable.inflatedBytes) : kNull},
                 {"described", boolean(described)},
                 {"name", described ? jsonString(variable.name) : kNull},
                 {"className", described ? jsonString(variable.className) : kNull},
                 {"dims", described ? array(dims) : kNull},
                 {"global", boolean(variable.global)},
                 {"complex", boolean(variable.complex)},
                 {"logical", boolean(variable.logical)},
                 {"sparse", boolean(variable.sparse)},
                 {"storedValues", number(variable.storedValues)},
                 {"fault", faultJson(variable.fault)}},
                ", ");
}

std::string summaryJson(const ExaminationSummary &summary) {
  std::vector<std::string> damaged;
  for (const std::string &label : summary.damaged) damaged.push_back(jsonString(label));
  return object({{"variables", number(summary.variables)},
                 {"intact", number(summary.intact)},
                 {"damaged", array(damaged)}},
                ", ");
}

std::string salvageJson(const SalvageOutcome &salvage) {
  return object({{"output", jsonString(salvage.outPath)},
                 {"written", boolean(salvage.written)},
                 {"salvaged", number(salvage.salvaged)},
                 {"reason", salvage.written ? kNull : jsonString(salvage.why)}},
                ", ");
}

}  // namespace

std::string jsonReport(const Explanation &explanation) {
  const FileExamination &examination = explanation.examination;
  std::vector<std::string> variables;
  for (const VariableExamination &variable : examination.variables) variables.push_back(variableJson(variable));
  Members members{
      {"file", jsonString(explanation.file)},
      {"version", jsonString(examination.version)},
      {"compressed", boolean(examination.compressed)},
      {"byteOrder", examination.bigEndian ? "\"big-endian\"" : "\"little-endian\""},
      {"headerText", examination.version == "4" ? kNull : jsonString(examination.headerText)},
  };
  if (examination.version == "7.3") {
    const int superblock = examination.superblockVersion;
    members.push_back({"superblockVersion", superblock >= 0 ? std::to_string(superblock) : kNull});
  }
  members.push_back({"fileBytes", number(examination.fileBytes)});
  // One variable a line.
  members.push_back({"variables", variables.empty() ? "[]" : "[\n    " + joined(variables, ",\n    ") + "\n  ]"});
  members.push_back({"stop", faultJson(examination.stop)});
  members.push_back({"summary", summaryJson(summarize(examination))});
  if (explanation.salvageAsked) members.push_back({"salvage", salvageJson(explanation.salvage)});
  std::string json = object(members, ",\n  ");
  return "{\n  " + json.substr(1, json.size() - 2) + "\n}\n";
}
