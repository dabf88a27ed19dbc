// The parts of a PE file's headers and tables the Windows tests check, as
// MinGW-w64's objdump -p prints them.
#ifndef TESTS_WINDOWS_PE_TABLES_H
#define TESTS_WINDOWS_PE_TABLES_H

#include <map>
#include <set>
#include <string>
#include <vector>

struct PeTables {
  std::string magic;      // "010b" for a 32-bit (PE32) image
  std::string subsystem;  // "Windows CUI" for a console program
  bool isDll = false;
  std::vector<std::string> exports;  // the export table's names, in its order
  // Imported DLL (lower case) -> the names imported from it; an import by
  // ordinal shows as "<none>".
  std::map<std::string, std::set<std::string>> imports;
};

// Parses the text objdump -p prints for one file.
PeTables parsePeTables(const std::string &objdumpText);

// Runs objdump -p on `path`; false with `error` set if it could not.
bool readPeTables(const std::string &path, PeTables &tables, std::string &error);

#endif
