#include "command_line.h"

#include <cstring>

const char kUsageText[] =
    "Usage: call_plugin [OPTIONS] PLUGIN [INPUT...]\n"
    "\n"
    "Loads the plug-in file PLUGIN (such as build/default/bin/quenvor.mexa64), finds its\n"
    "gateway (mexFunction, else _mexFunction), calls it through the stand-in host with\n"
    "the INPUTs, and prints what it hands back.\n"
    "\n"
    "Options:\n"
    "  -n N, --nargout=N          ask for N outputs (default 1, as a call with one\n"
    "                             result; 0 is a call with none)\n"
    "  -m FILE:VAR, --from-mat=FILE:VAR\n"
    "                             one input: the variable VAR of the MAT-file FILE, read\n"
    "                             through the stand-in's MAT-file library; it takes its\n"
    "                             place among the INPUTs in the order given\n"
    "  -h, --help                 show this text\n"
    "  --version                  show the version and licence\n"
    "  --                         ends the options\n"
    "Any other argument, \"-5\" and \"-Inf\" included, is PLUGIN or an INPUT.\n"
    "\n"
    "INPUTs are MATLAB-style literals, one per argument (quote them for the shell):\n"
    "  5  -2.5e3  Inf  NaN  pi  eps  1+2i  double scalars, real or complex\n"
    "  [1 2 3]  [1;2;3]  [1 2;3 4]  []     double matrices ([true false] is logical)\n"
    "  1:5  0:0.5:2  5:-1:1  1:0           ranges, as MATLAB's colon makes them\n"
    "  'text'  ['ab';'cd']  true  false  true(2,2)\n"
    "                                     char row and matrix; logical\n"
    "  zeros(1,0)  ones(2,3,4)  zeros(2,2,'int16')  NaN(2,3)  Inf(1,3,'single')\n"
    "                                     filled arrays (a negative size counts as 0)\n"
    "  int8(..) .. uint64(..)  single(..)  double(..)  logical(..)  char(..)\n"
    "  complex(A,B)  sparse(M)  reshape(M,[2 2 2])\n"
    "  {1, 'a'; [1 2], {}}  cell(2,3)  struct('name', V, ...)\n"
    "\n"
    "Output: the plug-in's own text goes to standard output as it prints it. Then each\n"
    "output asked for prints as one line \"outK = LITERAL\", where LITERAL is in the\n"
    "form above and reads back as the same class, size and values (numbers in the\n"
    "shortest form that reads back exactly), e.g. out1 = [2 4 6], out1 = zeros(1,0),\n"
    "out1 = int32([1 2]), out1 = complex([1 2], [3 4]); \"outK = <not assigned>\" for an\n"
    "output the plug-in left empty. With -n 0, an array the plug-in still put in the\n"
    "first slot prints as \"ans = LITERAL\".\n"
    "\n"
    "Exit status:\n"
    "  0  the gateway returned\n"
    "  1  the plug-in reported an error: \"IDENTIFIER: MESSAGE\" on standard error; or\n"
    "     the allocation exception left the gateway: \"call_plugin: out of memory\"\n"
    "  2  the command line was wrong: a malformed literal, an unknown option, a\n"
    "     MAT-file variable that cannot be read, a plug-in that cannot be loaded\n";

namespace {

bool parseCount(const std::string &text, int &count) {
  if (text.empty() || text.size() > 4) return false;
  count = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + (c - '0');
  }
  return true;
}

bool parseMatSource(const std::string &text, InputSource &source) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  source.fromMatFile = true;
  source.text = text.substr(0, colon);
  source.variable = text.substr(colon + 1);
  return true;
}

// Splits "--name=value" and "--name value" / "-x value" forms.
bool optionValue(int argc, const char *const argv[], int &i, const char *shortName, const char *longName,
                 std::string &value, bool &matched) {
  std::string argument = argv[i];
  std::string prefix = std::string(longName) + "=";
  matched = true;
  if (argument.compare(0, prefix.size(), prefix) == 0) {
    value = argument.substr(prefix.size());
    return true;
  }
  if (argument != shortName && argument != longName) {
    matched = false;
    return true;
  }
  if (i + 1 >= argc) return false;
  value = argv[++i];
  return true;
}

}  // namespace

bool parseCommandLine(int argc, const char *const argv[], CallRequest &request, std::string &error) {
  bool optionsEnded = false;
  bool pluginGiven = false;
  for (int i = 0; i < argc; ++i) {
    std::string argument = argv[i];
    bool isOption = !optionsEnded && (argument == "-n" || argument == "-m" || argument == "-h" ||
                                      argument.compare(0, 2, "--") == 0);
    if (!isOption) {
      if (pluginGiven) {
        request.inputs.push_back({false, argument, ""});
      } else {
        request.pluginPath = argument;
        pluginGiven = true;
      }
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "-h" || argument == "--help") {
      request.help = true;
      continue;
    }
    if (argument == "--version") {
      request.version = true;
      continue;
    }
    std::string value;
    bool matched = false;
    if (!optionValue(argc, argv, i, "-n", "--nargout", value, matched)) {
      error = "option " + argument + " needs a number";
      return false;
    }
    if (matched) {
      if (!parseCount(value, request.nlhs)) {
        error = "the number of outputs must be a whole number from 0 to 9999, not '" + value + "'";
        return false;
      }
      continue;
    }
    if (!optionValue(argc, argv, i, "-m", "--from-mat", value, matched)) {
      error = "option " + argument + " needs FILE:VARIABLE";
      return false;
    }
    if (matched) {
      InputSource source;
      if (!parseMatSource(value, source)) {
        error = "expected FILE:VARIABLE after " + argument + ", not '" + value + "'";
        return false;
      }
      request.inputs.push_back(source);
      continue;
    }
    error = "unknown option " + argument;
    return false;
  }
  if (!request.help && !request.version && !pluginGiven) {
    error = "no plug-in file given";
    return false;
  }
  return true;
}
