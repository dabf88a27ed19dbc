// Every file that fuzzing found trouble with (files/, named for the finding)
// still gets a report from kestrum that ends as reports may end, within its
// time and memory bounds, and what kestrum-explain salvages from it reads
// whole.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "child_usage.h"

namespace {

std::vector<std::string> regressionFiles() {
  std::vector<std::string> names;
  if (DIR *dir = opendir(REGRESSION_FILE_DIR)) {
    while (dirent *entry = readdir(dir)) {
      if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RegressionFiles, EachGetsAReportWithinBounds) {
  std::vector<std::string> names = regressionFiles();
  ASSERT_FALSE(names.empty()) << "no files in " << REGRESSION_FILE_DIR;
  for (const std::string &name : names) {
    std::string path = std::string(REGRESSION_FILE_DIR) + "/" + name;
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
    ProcessResult run = runKestrumOn(path);
    EXPECT_TRUE(heldUp(run, path, static_cast<uint64_t>(info.st_size))) << name;
    EXPECT_TRUE(explainedAlike(runExplainOn(path), run, static_cast<uint64_t>(info.st_size)))
        << name;
    std::string salvaged = ::testing::TempDir() + "salvaged-" + name;
    ProcessResult salvage = runExplainOn(path, {"--salvage", salvaged, "--force"});
    struct stat written {};
    if (salvage.exited && salvage.status != 2 && stat(salvaged.c_str(), &written) == 0) {
      ProcessResult whole = runKestrumOn(salvaged);
      EXPECT_EQ(whole.status, 0) << name << " salvaged:\n" << whole.out;
      std::remove(salvaged.c_str());
    }
  }
}

}  // namespace
