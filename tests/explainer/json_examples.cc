// Writes kestrum-explain's JSON report of examinations built in place, for
// json_report_test.py:
//   explainer_json_examples DIR          the samples, one file each, into DIR
//   explainer_json_examples --names HEX...
//                                        to standard output: a file whose
//                                        variables are named by the bytes
//                                        that each HEX spells
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "json_report.h"
#include "sample_examinations.h"

namespace {

bool write(const std::string &path, const std::string &text) {
  FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

bool fromHex(const char *hex, std::string &bytes) {
  const size_t length = std::strlen(hex);
  if (length % 2 != 0) return false;
  for (size_t i = 0; i < length; i += 2) {
    unsigned value = 0;
    if (std::sscanf(hex + i, "%2x", &value) != 1) return false;
    bytes += static_cast<char>(value);
  }
  return true;
}

}  // namespace

int main(int argc, char *argv[]) {
  if (argc >= 2 && std::strcmp(argv[1], "--names") == 0) {
    std::vector<std::string> names;
    for (int i = 2; i < argc; ++i) {
      names.emplace_back();
      if (!fromHex(argv[i], names.back())) {
        std::fprintf(stderr, "not hexadecimal: %s\n", argv[i]);
        return 2;
      }
    }
    std::fputs(jsonReport(namedVariables(names)).c_str(), stdout);
    return 0;
  }
  if (argc != 2) {
    std::fputs("usage: explainer_json_examples DIR | --names HEX...\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  const struct {
    const char *file;
    Explanation (*build)();
  } samples[] = {{"damaged_version5.json", damagedVersion5},
                 {"intact_version4.json", intactVersion4},
                 {"version73_failed_salvage.json", version73WithFailedSalvage},
                 {"empty_version5.json", emptyVersion5}};
  for (const auto &sample : samples) {
    if (!write(dir + "/" + sample.file, jsonReport(sample.build()))) {
      std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), sample.file);
      return 2;
    }
  }
  return 0;
}
