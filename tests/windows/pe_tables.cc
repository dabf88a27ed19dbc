#include "pe_tables.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <sstream>

#include "run_process.h"
#include "windows_build.h"

namespace {

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Sections of objdump's report that the parser follows line by line.
enum class Section { Other, Imports, Exports };

}  // namespace

PeTables parsePeTables(const std::string &objdumpText) {
  static const std::regex magic(R"(^Magic\s+([0-9a-fA-F]+))");
  static const std::regex subsystem(R"(^Subsystem\s+[0-9a-fA-F]+\s+\((.*)\))");
  static const std::regex characteristics(R"(^Characteristics\s)");
  static const std::regex dllName(R"(^\s*DLL Name: (\S+))");
  static const std::regex importEntry(R"(^\s+[0-9a-fA-F]+\s+[0-9]+\s+(\S+))");
  static const std::regex exportEntry(R"(^\s+\[\s*[0-9]+\] (\S+))");

  PeTables tables;
  Section section = Section::Other;
  bool inCharacteristics = false;
  std::string currentDll;
  std::istringstream lines(objdumpText);
  std::string line;
  std::smatch match;
  while (std::getline(lines, line)) {
    if (std::regex_search(line, match, magic)) tables.magic = lowerCase(match[1]);
    if (std::regex_search(line, match, subsystem)) tables.subsystem = match[1];
    if (std::regex_search(line, characteristics)) inCharacteristics = true;
    else if (inCharacteristics && line.empty()) inCharacteristics = false;
    if (inCharacteristics && line == "\tDLL") tables.isDll = true;

    if (std::regex_search(line, match, dllName)) {
      section = Section::Imports;
      currentDll = lowerCase(match[1]);
      tables.imports[currentDll];
    } else if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
      section = Section::Exports;
    } else if (line.empty()) {
      section = Section::Other;
    } else if (section == Section::Imports && std::regex_search(line, match, importEntry)) {
      tables.imports[currentDll].insert(match[1]);
    } else if (section == Section::Exports && std::regex_search(line, match, exportEntry)) {
      tables.exports.push_back(match[1]);
    }
  }
  return tables;
}

bool readPeTables(const std::string &path, PeTables &tables, std::string &error) {
  ProcessResult result = runProcess({objdumpProgram(), "-p", path});
  if (!result.exited || result.status != 0) {
    error = objdumpProgram() + " -p " + path + ": " + describe(result);
    return false;
  }
  tables = parsePeTables(result.out);
  return true;
}
