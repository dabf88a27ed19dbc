// The well-formed MAT-files the tests use: those matio and Octave write at
// test time, and what each report must say about them.
#ifndef TESTS_KESTRUM_FIXTURE_FILES_H
#define TESTS_KESTRUM_FIXTURE_FILES_H

#include <ostream>
#include <string>
#include <vector>

#include "expected_report.h"

struct Fixture {
  std::string id;      // unique, usable as a test name
  std::string writer;  // "matio", "octave" or "derived"
  std::string path;
  std::vector<ReportVariable> variables;
};

// Test names show the fixture's id rather than its bytes.
inline void PrintTo(const Fixture &fixture, std::ostream *out) { *out << fixture.id; }

// Why the fixtures of `writer` cannot be used (the writer was not found when
// the build was configured), or empty when they can.
std::string missingWriter(const std::string &writer);

std::vector<Fixture> matioFixtures();
std::vector<Fixture> octaveFixtures();

// The fixture with `id`; fails the calling test if there is none.
Fixture fixtureById(const std::string &id);

std::string kestrumPath();

#endif
