// Every literal that fuzzing found trouble with (literals/, named for the
// finding) is parsed into an array or refused with a one-line reason; the
// sanitizer build catches what went wrong on the way.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <iterator>
#include <string>

#include "literal_parser.h"
#include "mx_array.h"

namespace {

TEST(LiteralRegressions, EachIsParsedOrRefusedWithAReason) {
  DIR *dir = opendir(LITERAL_FILE_DIR);
  ASSERT_NE(dir, nullptr) << LITERAL_FILE_DIR;
  int checked = 0;
  while (dirent *entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream in(std::string(LITERAL_FILE_DIR) + "/" + entry->d_name, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    standin::ArrayPtr array(parseLiteral(text, error));
    if (!array) {
      EXPECT_FALSE(error.empty()) << entry->d_name;
      EXPECT_EQ(error.find('\n'), std::string::npos) << entry->d_name;
    }
    ++checked;
  }
  closedir(dir);
  EXPECT_GT(checked, 0);
}

}  // namespace
