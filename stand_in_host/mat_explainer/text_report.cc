#include "text_report.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "escaping.h"

namespace {

// The labels of the file's facts, padded so that the values line up.
const size_t kLabelWidth = 22;

// A cell longer than this widens only its own row, not the whole column.
const size_t kWidestColumn = 28;

void addFact(std::string &report, const std::string &label, const std::string &value) {
  report += label + ":";
  report.append(kLabelWidth - label.size() - 1, ' ');
  report += value + "\n";
}

std::string plural(uint64_t count, const char *noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string versionText(const std::string &version) {
  if (version == "5") return "5 (versions 5, 6 and 7 share this layout)";
  return escapedText(version);
}

void addFileFacts(std::string &report, const Explanation &explanation) {
  const FileExamination &examination = explanation.examination;
  addFact(report, "file", escapedText(explanation.file));
  addFact(report, "version", versionText(examination.version));
  if (examination.version == "5") addFact(report, "compressed elements", examination.compressed ? "yes" : "no");
  if (examination.version == "7.3") {
    const int superblock = examination.superblockVersion;
    addFact(report, "HDF5 superblock", superblock >= 0 ? "version " + std::to_string(superblock) : "version not known");
  }
  addFact(report, "byte order", examination.bigEndian ? "big-endian" : "little-endian");
  if (examination.version != "4") {
    addFact(report, "header text", examination.headerText.empty() ? "(empty)" : escapedText(examination.headerText));
  }
  addFact(report, "file size", plural(examination.fileBytes, "byte"));
}

std::string storageText(const VariableExamination &variable) {
  std::string text = escapedText(variable.storage);
  if (variable.inflatedBytes != 0) text += ", inflates to " + std::to_string(variable.inflatedBytes);
  return text;
}

std::string sizeText(const std::vector<uint64_t> &dims) {
  std::string text;
  for (uint64_t dim : dims) text += (text.empty() ? "" : "x") + std::to_string(dim);
  return text.empty() ? "-" : text;
}

std::string flagsText(const VariableExamination &variable) {
  std::vector<std::string> flags;
  if (variable.global) flags.push_back("global");
  if (variable.complex) flags.push_back("complex");
  if (variable.logical) flags.push_back("logical");
  if (variable.sparse) flags.push_back("sparse (" + std::to_string(variable.storedValues) + " stored)");
  std::string text;
  for (const std::string &flag : flags) text += (text.empty() ? "" : ", ") + flag;
  return text.empty() ? "-" : text;
}

// The table of variables: its cells by column, and how each lines up.
enum Column { kIndex, kOffset, kStored, kStorage, kName, kClass, kSize, kFlags, kVerdict, kColumns };
const char *const kHeadings[kColumns] = {"index", "offset", "stored bytes", "storage", "name",
                                         "class", "size",   "flags",        "verdict"};
const bool kRightAligned[kColumns] = {true, false, true, false, false, false, false, false, false};

using Row = std::vector<std::string>;

// The characters of an escaped cell: its bytes but UTF-8 continuation bytes.
size_t width(const std::string &cell) {
  size_t characters = 0;
  for (char c : cell) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return characters;
}

Row variableRow(const VariableExamination &variable) {
  Row row(kColumns);
  row[kIndex] = std::to_string(variable.index);
  row[kOffset] = hexOffset(variable.offset);
  row[kStored] = std::to_string(variable.storedBytes);
  row[kStorage] = storageText(variable);
  if (variable.described) {
    row[kName] = variable.name.empty() ? "(empty)" : escapedText(variable.name);
    row[kClass] = variable.className.empty() ? "-" : escapedText(variable.className);
    row[kSize] = sizeText(variable.dims);
    row[kFlags] = flagsText(variable);
  } else {
    row[kName] = "(not read)";
    row[kClass] = row[kSize] = row[kFlags] = "-";
  }
  row[kVerdict] = variable.fault.found ? "damaged" : "intact";
  return row;
}

void addRow(std::string &report, const Row &row, const std::vector<size_t> &widths) {
  std::string line;
  for (size_t column = 0; column < kColumns; ++column) {
    const std::string &cell = row[column];
    const size_t padding = width(cell) < widths[column] ? widths[column] - width(cell) : 0;
    if (column != 0) line += "  ";
    if (kRightAligned[column]) line.append(padding, ' ');
    line += cell;
    if (!kRightAligned[column] && column + 1 != kColumns) line.append(padding, ' ');
  }
  line.erase(line.find_last_not_of(' ') + 1);
  report += line + "\n";
}

void addVariables(std::string &report, const std::vector<VariableExamination> &variables) {
  Row headings(kHeadings, kHeadings + kColumns);
  std::vector<Row> rows;
  std::vector<size_t> widths;
  for (const std::string &heading : headings) widths.push_back(width(heading));
  for (const VariableExamination &variable : variables) {
    rows.push_back(variableRow(variable));
    for (size_t column = 0; column < kColumns; ++column) {
      widths[column] = std::max(widths[column], std::min(width(rows.back()[column]), kWidestColumn));
    }
  }
  addRow(report, headings, widths);
  for (size_t i = 0; i < rows.size(); ++i) {
    addRow(report, rows[i], widths);
    // The reason, below the row, from its offset on.
    if (variables[i].fault.found) report += std::string(widths[kIndex] + 2, ' ') + faultText(variables[i].fault) + "\n";
  }
}

// "at offset 0x1C0, at inflated byte 120", as far as the place is known.
std::string placeText(const Fault &fault) {
  std::string text;
  if (fault.placed) text += "at offset " + hexOffset(fault.at);
  if (fault.inInflated) text += (text.empty() ? "" : ", ") + std::string("at inflated byte ") + std::to_string(fault.inflatedAt);
  return text;
}

std::string reasonText(const Fault &fault) {
  return fault.what.empty() ? "no reason given" : escapedText(fault.what);
}

// The examination's words say why and what could not be located; the
// summary's "not located" line gives the offset.
std::string stopText(const Fault &stop) { return "locating stopped: " + reasonText(stop); }

std::string salvageText(const SalvageOutcome &salvage, uint64_t variables) {
  const std::string out = escapedText(salvage.outPath);
  if (salvage.written) {
    return "salvaged " + std::to_string(salvage.salvaged) + " of " + plural(variables, "variable") + " into " + out;
  }
  return out + " not written: " + escapedText(salvage.why);
}

void addSummary(std::string &report, const ExaminationSummary &summary, const Fault &stop) {
  addFact(report, "summary", plural(summary.variables, "variable") + ", " + std::to_string(summary.intact) + " intact");
  if (!summary.damaged.empty()) {
    std::string names;
    for (const std::string &label : summary.damaged) names += (names.empty() ? "" : ", ") + escapedText(label);
    addFact(report, "damaged", names);
  }
  if (stop.found) {
    addFact(report, "not located", stop.placed ? "from offset " + hexOffset(stop.at) + " to the end of the file"
                                               : "the rest of the file");
  }
}

}  // namespace

std::string hexOffset(uint64_t offset) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[offset & 0xF]);
    offset >>= 4;
  } while (offset != 0);
  return "0x" + digits;
}

std::string faultText(const Fault &fault) {
  const std::string place = placeText(fault);
  return "damaged" + (place.empty() ? "" : " " + place) + ": " + reasonText(fault);
}

std::string textReport(const Explanation &explanation) {
  const FileExamination &examination = explanation.examination;
  const ExaminationSummary summary = summarize(examination);
  std::string report;
  addFileFacts(report, explanation);
  report += "\n";
  if (examination.variables.empty()) {
    report += "no variables located\n";
  } else {
    addVariables(report, examination.variables);
  }
  if (examination.stop.found) report += "\n" + stopText(examination.stop) + "\n";
  report += "\n";
  if (explanation.salvageAsked) addFact(report, "salvage", salvageText(explanation.salvage, summary.variables));
  addSummary(report, summary, examination.stop);
  return report;
}
