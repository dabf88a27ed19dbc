// One record of a version 4 MAT-file: the 20-byte header (type, rows,
// columns, imaginary flag, name length), the name, and where the data lies.
#ifndef STAND_IN_HOST_LIBMAT_V4_RECORD_H
#define STAND_IN_HOST_LIBMAT_V4_RECORD_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/file_bytes.h"

namespace mat_v4 {

// How each element is stored (the tens digit of the record type).
enum class StoredType : uint8_t { Double = 0, Single = 1, Int32 = 2, Int16 = 3, Uint16 = 4, Uint8 = 5 };

// What the record holds (the units digit of the record type).
enum class MatrixKind : uint8_t { Numeric = 0, Text = 1, Sparse = 2 };

constexpr uint64_t kHeaderBytes = 20;

struct Record {
  bool bigEndian = false;  // the writer's byte order (thousands digit of the type)
  StoredType storedType = StoredType::Double;
  MatrixKind kind = MatrixKind::Numeric;
  size_t rows = 0;
  size_t columns = 0;
  bool complex = false;  // an imaginary part follows the real part
  std::string name;
  uint64_t dataOffset = 0;  // first byte of the real part
  uint64_t partBytes = 0;   // bytes of the real part, and of the imaginary part if any
  uint64_t end = 0;         // first byte after the record
};

size_t storedSize(StoredType type);

// Reads and checks the record starting at `offset`: a known type in either
// byte order, non-negative dimensions, a 0/1 imaginary flag, a name ending
// in its only NUL, a shape its kind allows, and data that lies inside the
// file. Only the header and the name are read.
// `why`, when given, says why the record was refused.
bool readRecord(const FileBytes &file, uint64_t offset, Record &record,
                std::string *why = nullptr);

// The bytes of data the record's header claims (both parts if complex).
uint64_t claimedDataBytes(const Record &record);

}  // namespace mat_v4

#endif
