// Files that claim more than they hold, in every version, at the name, the
// dimensions, the element sizes and the data: kestrum refuses each within
// its time and memory bounds. write_claiming_files.py writes them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "child_usage.h"

namespace {

const char *const kClaimingFiles[] = {
    "v4-name", "v4-dimensions", "v4-element-sizes", "v4-data", "v4-sparse-columns",
    "v6-name", "v6-dimensions", "v6-dimension-count", "v6-element-sizes", "v6-data",
    "v6-matrix-size",
    "v7-name", "v7-dimensions", "v7-dimension-count", "v7-element-sizes", "v7-data",
    "v7-matrix-size", "v7-compressed-size", "v7-stream-cut", "v7-inflation",
    "v73-name", "v73-dimensions", "v73-element-sizes", "v73-data",
};

class ClaimingFile : public ::testing::TestWithParam<const char *> {};

TEST_P(ClaimingFile, IsRefusedWithinBounds) {
  std::string name = GetParam();
  if (name.rfind("v73-", 0) == 0 && !HAVE_H5PY) GTEST_SKIP() << "h5py is not installed";
  std::string path = std::string(CLAIMING_FILE_DIR) + "/" + name + ".mat";
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0) << path << " was not written";
  ProcessResult run = runKestrumOn(path);
  EXPECT_TRUE(refused(run, path, static_cast<uint64_t>(info.st_size)));
  EXPECT_TRUE(explainedAlike(runExplainOn(path), run, static_cast<uint64_t>(info.st_size)));
}

INSTANTIATE_TEST_SUITE_P(EveryVersion, ClaimingFile, ::testing::ValuesIn(kClaimingFiles),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                           std::string name = info.param;
                           for (char &c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

}  // namespace
