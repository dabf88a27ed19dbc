// Damaged version 7.3 files: each ends the report with a message and status
// 1, with nothing on standard error (libhdf5's own error printing included)
// and no crash, and the directory is never reported partly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files.h"
#include "fixture_files.h"
#include "kestrum_run.h"
#include "v73_fixtures.h"

namespace {

enum class FailingPass { Header, Contents };

struct DamagedCase {
  std::string file;  // under damaged/, holding the one variable "v"
  FailingPass pass;
};

void PrintTo(const DamagedCase &c, std::ostream *out) { *out << c.file; }

const std::vector<DamagedCase> kDamagedCases = {
    // Broken attributes.
    {"header_class_integer", FailingPass::Header},
    {"header_class_two_strings", FailingPass::Header},
    {"header_class_float", FailingPass::Header},
    {"header_global_string", FailingPass::Header},
    {"header_global_negative", FailingPass::Header},
    {"header_global_two_values", FailingPass::Header},
    {"header_empty_float", FailingPass::Header},
    {"header_fields_wrong_type", FailingPass::Header},
    // Data that disagrees with the attributes.
    {"header_empty_nonzero_dims", FailingPass::Header},
    {"header_empty_text_dims", FailingPass::Header},
    {"header_cell_of_numbers", FailingPass::Header},
    {"header_struct_dataset", FailingPass::Header},
    {"header_complex_wrong_members", FailingPass::Header},
    {"header_text_data", FailingPass::Header},
    {"header_sparse_without_jc", FailingPass::Header},
    {"header_sparse_of_int8", FailingPass::Header},
    {"contents_sparse_more_values_than_rows", FailingPass::Contents},
    {"contents_sparse_jc_end_wrong", FailingPass::Contents},
    {"contents_sparse_jc_falling", FailingPass::Contents},
    {"contents_sparse_row_out_of_range", FailingPass::Contents},
    {"contents_sparse_rows_unsorted", FailingPass::Contents},
    {"contents_sparse_float_indices", FailingPass::Contents},
    {"contents_struct_array_dims_differ", FailingPass::Contents},
    {"contents_struct_field_missing", FailingPass::Contents},
    {"contents_struct_field_is_path", FailingPass::Contents},
    // References that loop, or fan out to 2^40 arrays: refused, not followed.
    {"contents_cell_loop", FailingPass::Contents},
    {"contents_cell_fan_out", FailingPass::Contents},
    // libhdf5's inflate fails on a damaged chunk.
    {"contents_compressed_chunk_damaged", FailingPass::Contents},
    {"contents_large_chunk_damaged", FailingPass::Contents},
};

// kestrum leaves the file it failed on open (the process ends right after):
// every leak but that handle counts.
ProcessResult runFailing(const std::string &path) {
  return runKestrum({path}, 60, LeakCheck::AllButAnOpenFile);
}

// The report up to the failing pass's first read, then the read's message.
std::string expectedFailure(const std::string &path, FailingPass pass) {
  std::string whole = expectedReport(path, {{"v", 2, false}});
  const char *firstRead = pass == FailingPass::Header ? "According to its header"
                                                      : "According to its contents";
  return whole.substr(0, whole.find(firstRead)) + "Error reading in file " + path + "\n";
}

class DamagedFile : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedFile, FailsInItsPass) {
  std::string missing = missingH5pyFixtures();
  if (!missing.empty()) GTEST_SKIP() << missing;
  std::string path = h5pyFixture("damaged/" + GetParam().file);
  EXPECT_TRUE(ranWith(runFailing(path), 1, expectedFailure(path, GetParam().pass)));
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFile, ::testing::ValuesIn(kDamagedCases),
                         [](const auto &info) { return info.param.file; });

// Every 16th offset of the first 640 bytes (the user block and the HDF5
// superblock), then 64 offsets spread over the rest.
std::vector<size_t> cutOffsets(size_t size) {
  std::vector<size_t> offsets;
  for (size_t at = 0; at < 640 && at < size; at += 16) offsets.push_back(at);
  for (size_t i = 1; i <= 64; ++i) offsets.push_back(640 + (size - 640) * i / 65);
  offsets.push_back(size - 1);
  return offsets;
}

void expectCutsFailCleanly(const std::string &good) {
  std::string bytes = readFile(good);
  ASSERT_GT(bytes.size(), 1024u) << good;
  ScratchDirectory directory;
  std::string path = directory.path() + "/cut.mat";
  for (size_t offset : cutOffsets(bytes.size())) {
    writeFile(path, bytes.substr(0, offset));
    EXPECT_TRUE(failedCleanly(runFailing(path), path)) << "cut at " << offset;
  }
}

TEST(CutFile, H5pyFilesFailCleanly) {
  std::string missing = missingH5pyFixtures();
  if (!missing.empty()) GTEST_SKIP() << missing;
  for (const char *file : {"h5py_containers", "h5py_kinds", "h5py_compressed"}) {
    SCOPED_TRACE(file);
    expectCutsFailCleanly(h5pyFixture(file));
  }
}

TEST(CutFile, MatioFileFailsCleanly) {
  std::string missing = missingMatio();
  if (!missing.empty()) GTEST_SKIP() << missing;
  ScratchDirectory directory;
  MatioPair pair;
  ASSERT_TRUE(writeMatioPair(directory.path(), pair));
  expectCutsFailCleanly(pair.version73);
}

}  // namespace
