// Version 7.3 MAT-files for the tests: those the h5py script writes before
// the tests run, and pairs (version 7.3 and version 7) that matio writes
// from the same data on demand.
#ifndef TESTS_MAT_V73_V73_FIXTURES_H
#define TESTS_MAT_V73_V73_FIXTURES_H

#include <string>
#include <vector>

#include "expected_report.h"

// Why the h5py files cannot be used, or empty when they can.
std::string missingH5pyFixtures();
// The path of an h5py file, e.g. "h5py_basic" or "damaged/header_class_integer".
std::string h5pyFixture(const std::string &name);

// Why matio cannot write the pairs, or empty when it can.
std::string missingMatio();

struct MatioPair {
  std::string version73;
  std::string version7;
};

// Writes one file in each format holding the variables `matioPairVariables`
// describes, in name order; false if matio failed.
bool writeMatioPair(const std::string &directory, MatioPair &pair);
const std::vector<ReportVariable> &matioPairVariables();

#endif
