// A close look at a MAT-file, for a program that says where a file is
// damaged and what survives (kestrum-explain): the file's version and
// header, and for each variable where it lies, how it is stored, what it is
// and whether every byte of it holds together, with the reason and place
// of the first fault. Unlike the reading of the host's operations, the
// examination goes on past a damaged variable wherever the format lets it
// find the next one, and never holds a whole variable: data is checked as
// it streams by and dropped.
//
// A variable the examination finds intact is one the host's operations
// read whole; one it finds damaged, they fail to read.
#ifndef STAND_IN_HOST_LIBMAT_EXAMINATION_H
#define STAND_IN_HOST_LIBMAT_EXAMINATION_H

#include <cstdint>
#include <string>
#include <vector>

// The first fault found in a variable, or where locating variables stopped.
struct Fault {
  bool found = false;
  std::string what;        // in words: "column starts not rising at column 7"
  bool placed = false;     // `at` is known
  uint64_t at = 0;         // byte offset in the file
  // Faults inside a compressed element: the offset in its inflated bytes.
  bool inInflated = false;
  uint64_t inflatedAt = 0;
};

struct VariableExamination {
  uint64_t index = 0;        // from 0, in file order
  uint64_t offset = 0;       // first byte of its stored form in the file
  uint64_t storedBytes = 0;  // bytes it takes in the file
  std::string storage;       // "plain", "deflate", "HDF5 contiguous", "HDF5 chunked 2048x2, deflate", ...
  uint64_t inflatedBytes = 0;  // deflate: the bytes its stream inflates to (0: not known)
  bool described = false;    // the fields below were read
  std::string name;
  std::string className;     // "double", "char", "cell", "struct", an object's class, ...
  std::vector<uint64_t> dims;  // the full size, trailing singleton dimensions dropped
  bool global = false;
  bool complex = false;
  bool logical = false;
  bool sparse = false;
  uint64_t storedValues = 0;   // sparse: the stored elements
  Fault fault;                 // not found: the variable is intact
};

struct FileExamination {
  std::string version;     // "4", "5" (the layout of versions 5, 6 and 7), "7.3"
  bool compressed = false;  // version 5 layout: some element is compressed (version 7)
  bool bigEndian = false;   // the writer's byte order
  std::string headerText;   // versions 5 to 7.3: the writer's text, trailing spaces dropped
  int superblockVersion = -1;  // version 7.3: the HDF5 superblock's version
  uint64_t fileBytes = 0;
  std::vector<VariableExamination> variables;
  // Found when the rest of the file could not be located: why, and from
  // which offset on.
  Fault stop;
};

// Examines the file at `path`. False (with `why` set) if it cannot be
// opened or is not a MAT-file of a version this library reads; true
// otherwise, whatever damage was found. May throw std::bad_alloc.
bool examineFile(const char *path, FileExamination &examination, std::string &why);

// Writes to `outPath` a new MAT-file of the same version holding every
// variable `examination` found intact, copied byte for byte: version 4
// records; the version 5 header and top-level elements; version 7.3
// datasets and groups with everything they refer to. Never writes over
// `path`. False with `why` set on failure (nothing is left at `outPath`
// then). `outPath` must not exist unless `overwrite`.
bool salvageFile(const char *path, const FileExamination &examination, const char *outPath,
                 bool overwrite, std::string &why);

#endif
