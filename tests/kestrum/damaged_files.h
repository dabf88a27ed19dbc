// Damaged MAT-files made from good ones: cut short, with size fields too
// large, with unknown types and classes, with a broken compressed stream,
// and files of random bytes.
#ifndef TESTS_KESTRUM_DAMAGED_FILES_H
#define TESTS_KESTRUM_DAMAGED_FILES_H

#include <string>
#include <vector>

struct DamagedFile {
  std::string label;  // what was done, for failure messages
  std::string bytes;
  // The file may still be well-formed: cut exactly after a variable.
  bool mayBeWhole = false;
};

// Cut at every offset of a small file, at 40 offsets spread over a bigger one.
std::vector<DamagedFile> cuts(const std::string &good, bool version4);

// The first variable's size fields each made too large.
std::vector<DamagedFile> oversizedV5Fields(const std::string &good);
std::vector<DamagedFile> oversizedV4Fields(const std::string &good);

// The first variable's element types and class made unknown.
std::vector<DamagedFile> unknownV5Types(const std::string &good);
std::vector<DamagedFile> unknownV4Types(const std::string &good);

// The first compressed element's stream damaged, its checksum wrong, its
// size too large.
std::vector<DamagedFile> brokenCompression(const std::string &good);

// Random bytes alone, after a version 5 file header, and after one good
// version 4 record header; always the same for the same seed.
std::vector<DamagedFile> randomFiles(unsigned seed);

#endif
