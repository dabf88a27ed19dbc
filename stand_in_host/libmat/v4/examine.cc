#include "v4/examine.h"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "common/text_format.h"
#include "v4/record.h"
#include "v4/sparse.h"
#include "v4/values.h"

namespace mat_v4 {

namespace {


void setFault(VariableExamination &v, const std::string &what, uint64_t at) {
  v.fault.found = true;
  v.fault.what = what;
  v.fault.placed = true;
  v.fault.at = at;
}

void describe(const FileBytes &file, const Record &record, VariableExamination &v) {
  v.described = true;
  v.name = record.name;
  v.className = record.kind == MatrixKind::Text ? "char" : "double";
  v.dims = {record.rows, record.columns};
  v.complex = record.complex;
  if (record.kind == MatrixKind::Sparse) {
    size_t rows = 0, columns = 0;
    v.sparse = true;
    v.complex = record.columns == 4;
    if (readSparseDimensions(file, record, rows, columns)) v.dims = {rows, columns};
  }
}

// Character codes must be whole numbers from 0 to 65535, as the reader
// takes them.
void examineText(const FileBytes &file, const Record &record, VariableExamination &v) {
  constexpr size_t kPiece = 4096;
  uint64_t count = static_cast<uint64_t>(record.rows) * record.columns;
  size_t size = storedSize(record.storedType);
  std::vector<double> values(static_cast<size_t>(std::min<uint64_t>(count, kPiece)));
  for (uint64_t first = 0; first < count; first += kPiece) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(kPiece, count - first));
    uint64_t at = record.dataOffset + first * size;
    if (!readDoubles(file, record, at, n, values.data())) {
      setFault(v, "the characters cannot be read", at);
      return;
    }
    for (size_t i = 0; i < n; ++i) {
      double value = values[i];
      if (!(value >= 0 && value <= 65535) || value != static_cast<uint16_t>(value)) {
        setFault(v, formatText("character %llu has the code %g, not a whole number from 0 to 65535",
                           ull(first + i), value),
                 at + i * size);
        return;
      }
    }
  }
}

void stopAt(FileExamination &examination, uint64_t offset, const std::string &why) {
  examination.stop.found = true;
  examination.stop.what = why;
  examination.stop.placed = true;
  examination.stop.at = offset;
}

}  // namespace

void examine(const FileBytes &file, FileExamination &examination) {
  examination.version = "4";
  uint64_t index = 0;
  for (uint64_t offset = 0; offset < file.size();) {
    Record record;
    std::string why;
    if (!readRecord(file, offset, record, &why)) {
      if (record.dataOffset != 0) {  // header and name read: the data runs past the end
        VariableExamination v;
        v.index = index;
        v.offset = offset;
        v.storedBytes = file.size() - offset;
        v.storage = "plain";
        describe(file, record, v);
        setFault(v, "cut short: " + why, file.size());
        examination.variables.push_back(v);
        stopAt(examination, offset,
               formatText("the record at offset 0x%llX runs past the end of the file; nothing from "
                      "offset 0x%llX on can be located",
                      ull(offset), ull(offset)));
      } else {
        stopAt(examination, offset,
               formatText("the record header at offset 0x%llX cannot be read (%s); nothing from "
                      "offset 0x%llX on can be located",
                      ull(offset), why.c_str(), ull(offset)));
      }
      return;
    }
    if (index == 0) examination.bigEndian = record.bigEndian;
    VariableExamination v;
    v.index = index++;
    v.offset = offset;
    v.storedBytes = record.end - offset;
    v.storage = "plain";
    describe(file, record, v);
    if (record.kind == MatrixKind::Text) examineText(file, record, v);
    if (record.kind == MatrixKind::Sparse) {
      uint64_t at = 0;
      if (!examineSparse(file, record, v.storedValues, why, at)) setFault(v, why, at);
    }
    examination.variables.push_back(v);
    offset = record.end;
  }
}

bool salvage(const FileBytes &file, const FileExamination &examination, int out,
             std::string &why) {
  for (const VariableExamination &v : examination.variables) {
    if (!v.fault.found && !file.copyTo(v.offset, v.storedBytes, out)) {
      why = "writing the salvaged file failed";
      return false;
    }
  }
  return true;
}

}  // namespace mat_v4
