// Where the fields of a little-endian MAT-file lie, so that tests can damage
// or vary a good file one field at a time.
#ifndef TESTS_KESTRUM_MAT_LAYOUT_H
#define TESTS_KESTRUM_MAT_LAYOUT_H

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "mat_v5_fixture.h"

// The byte order of the files the tests damage and vary.
extern const v5fixture::Writer kLittleEndian;

// Byte offsets of the parts of one miMATRIX element of a version 5 file.
struct MatrixFields {
  size_t tag = 0;       // the element's tag; its nbytes is at tag + 4
  size_t flags = 0;     // the first word of the array flags (class in the low byte)
  size_t dimsTag = 0;   // the dimensions sub-element's tag
  size_t nameTag = 0;   // the name sub-element's tag
  bool smallName = false;  // the name is a small element (type and length in one word)
  size_t dataTag = 0;   // the sub-element after the name (real part of a numeric array)
  size_t end = 0;       // the byte after the element
};

// Finds the fields of the miMATRIX element whose tag is at `offset`; false if
// the bytes do not hold one.
bool locateMatrixFields(const std::string &bytes, size_t offset, MatrixFields &fields);

// Version 4 record header: the five words type, mrows, ncols, imagf, namlen.
enum V4Word { V4Type = 0, V4Rows = 4, V4Columns = 8, V4Imaginary = 12, V4NameLength = 16 };

// Well-formed variations of a version 6 file written by matio with
// uncompressed variables, in the forms other writers use.
struct FileVariation {
  const char *name;
  std::string (*vary)(std::string v6File);
};
const std::vector<FileVariation> &fileVariations();
inline void PrintTo(const FileVariation &variation, std::ostream *out) { *out << variation.name; }

// Every variable's dimensions stored as uint32 instead of int32.
std::string withUint32Dimensions(std::string v6File);
// Every variable's name stored as UTF-8 instead of int8.
std::string withUtf8Names(std::string v6File);
// A nameless subsystem data element appended and named in the header.
std::string withSubsystemData(std::string v6File);

#endif
