// Files for the tests: whole files read and written, the running test's
// own file, and scratch directories that clean up after themselves.
#ifndef TESTS_SUPPORT_FILES_H
#define TESTS_SUPPORT_FILES_H

#include <string>

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);

// Writes `bytes` to a MAT-file in GoogleTest's temporary directory named
// after `prefix` and the running test, and returns its path. CTest runs tests side
// by side, so each test has a file of its own; each call rewrites it.
std::string writeTestFile(const std::string &prefix, const std::string &bytes);

// A fresh directory that is removed with everything in it at destruction.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory &) = delete;
  ScratchDirectory &operator=(const ScratchDirectory &) = delete;
  const std::string &path() const { return path_; }

 private:
  std::string path_;
};

#endif
