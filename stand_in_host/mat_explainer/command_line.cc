#include "command_line.h"

const char kUsageText[] =
    "Usage: kestrum-explain [OPTIONS] FILE\n"
    "\n"
    "Examines the MAT-file FILE (version 4, 5, 6, 7 or 7.3) closely and says where it\n"
    "is damaged and what survives: the file's version, byte order and header text;\n"
    "for each variable where it lies, how it is stored, its name, class, size and\n"
    "flags, and whether it is intact or damaged, with the reason and the byte offset\n"
    "of the first fault; where locating variables stopped, if it did; and a summary.\n"
    "It goes on past a damaged variable wherever the format lets it find the next.\n"
    "\n"
    "Options:\n"
    "  --json                 print the report as one JSON document instead of text\n"
    "  --salvage=OUT, --salvage OUT\n"
    "                         after examining, copy every intact variable into the\n"
    "                         new MAT-file OUT, of the same version; OUT must not be\n"
    "                         FILE, nor exist already\n"
    "  --force                with --salvage: write over an existing OUT (never over\n"
    "                         FILE)\n"
    "  -h, --help             show this text\n"
    "  --version              show the version and licence\n"
    "  --                     ends the options\n"
    "\n"
    "Report:\n"
    "  Text from the file (names, header text) is printed as data: a control\n"
    "  character or a byte that is not UTF-8 is shown as \\xHH (--json gives the\n"
    "  exact text). Byte offsets are hexadecimal (0x1C0), counted from the start of\n"
    "  the file; a fault inside a compressed variable is also placed by its byte in\n"
    "  the inflated data. Variables are numbered from 0 in file order.\n"
    "\n"
    "Exit status:\n"
    "  0  every variable is intact and the file was located to its end\n"
    "  1  damage was found: a damaged variable, or a part of the file that could not\n"
    "     be located (the report is complete all the same)\n"
    "  2  the command line was wrong; FILE cannot be opened or is not a MAT-file; OUT\n"
    "     was refused or could not be written (a message on standard error)\n";

namespace {

bool startsWith(const std::string &text, const char *prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

bool parseCommandLine(int argc, const char *const argv[], ExplainRequest &request, std::string &error) {
  bool optionsEnded = false;
  bool fileGiven = false;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (optionsEnded || argument == "-" || !startsWith(argument, "-")) {
      if (fileGiven) {
        error = "one FILE at a time: '" + request.file + "' and '" + argument + "' given";
        return false;
      }
      request.file = argument;
      fileGiven = true;
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-h" || argument == "--help") {
      request.help = true;
    } else if (argument == "--version") {
      request.version = true;
    } else if (argument == "--json") {
      request.json = true;
    } else if (argument == "--force") {
      request.force = true;
    } else if (argument == "--salvage" || startsWith(argument, "--salvage=")) {
      if (argument == "--salvage") {
        if (i + 1 >= argc) {
          error = "option --salvage needs a file to write";
          return false;
        }
        request.salvagePath = argv[++i];
      } else {
        request.salvagePath = argument.substr(sizeof "--salvage=" - 1);
      }
      if (request.salvagePath.empty()) {
        error = "option --salvage needs a file to write, not an empty name";
        return false;
      }
      request.salvage = true;
    } else {
      error = "unknown option " + argument;
      return false;
    }
  }
  if (request.help || request.version) return true;
  if (!fileGiven) {
    error = "no MAT-file given";
    return false;
  }
  if (request.force && !request.salvage) {
    error = "--force applies only with --salvage";
    return false;
  }
  return true;
}
