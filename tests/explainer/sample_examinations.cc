#include "sample_examinations.h"

namespace {

VariableExamination variable(uint64_t index, uint64_t offset, uint64_t storedBytes, const char *storage) {
  VariableExamination v;
  v.index = index;
  v.offset = offset;
  v.storedBytes = storedBytes;
  v.storage = storage;
  return v;
}

void describe(VariableExamination &v, const std::string &name, const char *className, std::vector<uint64_t> dims) {
  v.described = true;
  v.name = name;
  v.className = className;
  v.dims = std::move(dims);
}

Fault fault(const char *what, bool placed, uint64_t at) {
  Fault f;
  f.found = true;
  f.what = what;
  f.placed = placed;
  f.at = at;
  return f;
}

FileExamination version5File(bool compressed) {
  FileExamination e;
  e.version = "5";
  e.compressed = compressed;
  e.headerText = "MATLAB 5.0 MAT-file, Platform: GLNXA64, Created on: Tue Dec  8 17:19:46 2026";
  return e;
}

}  // namespace

Explanation damagedVersion5() {
  Explanation x;
  x.file = "archive/run 7.mat";
  x.examination = version5File(true);
  x.examination.fileBytes = 12100;

  VariableExamination alpha = variable(0, 0x80, 184, "deflate");
  alpha.inflatedBytes = 312;
  describe(alpha, "alpha", "double", {2, 3, 4});
  alpha.global = alpha.complex = true;

  VariableExamination beta = variable(1, 0x138, 400, "plain");
  describe(beta, "beta", "logical", {10, 10});
  beta.logical = beta.sparse = true;
  beta.storedValues = 5;
  beta.fault = fault("column starts not rising at column 7", true, 0x1C0);

  VariableExamination third = variable(2, 0x2C8, 9000, "deflate");
  third.fault = fault("the compressed stream ends early", true, 0x2D0);
  third.fault.inInflated = true;
  third.fault.inflatedAt = 120;

  VariableExamination gamma = variable(3, 0x25F0, 2384, "plain");
  describe(gamma, "gamma", "char", {1, 5});

  x.examination.variables = {alpha, beta, third, gamma};
  x.examination.stop = fault(
      "the element at offset 0x2f40 runs past the end of the file; nothing from offset 0x2f40 on can be located",
      true, 0x2F40);
  x.salvageAsked = true;
  x.salvage.outPath = "saved.mat";
  x.salvage.written = true;
  x.salvage.salvaged = 2;
  return x;
}

Explanation intactVersion4() {
  Explanation x;
  x.file = "old.mat";
  x.examination.version = "4";
  x.examination.bigEndian = true;
  x.examination.fileBytes = 100;
  VariableExamination v = variable(0, 0, 100, "plain");
  describe(v, "x", "double", {3, 3});
  x.examination.variables = {v};
  return x;
}

Explanation version73WithFailedSalvage() {
  Explanation x;
  x.file = "big.mat";
  x.examination.version = "7.3";
  x.examination.headerText = "MATLAB 7.3 MAT-file, Platform: GLNXA64, Created on: Mon Jan  5 09:00:00 2026 HDF5 schema 1.00 .";
  x.examination.superblockVersion = 2;
  x.examination.fileBytes = 1 << 20;
  VariableExamination v = variable(0, 0x1000, 40000, "HDF5 chunked 2048x2, deflate");
  v.inflatedBytes = 32768;
  describe(v, "samples", "single", {4096, 2});
  x.examination.variables = {v};
  x.salvageAsked = true;
  x.salvage.outPath = "/read-only/out.mat";
  x.salvage.why = "cannot create /read-only/out.mat: Permission denied";
  return x;
}

Explanation emptyVersion5() {
  Explanation x;
  x.file = "empty.mat";
  x.examination = version5File(false);
  x.examination.fileBytes = 128;
  x.salvageAsked = true;
  x.salvage.outPath = "nothing.mat";
  x.salvage.why = "no variable is intact";
  return x;
}

Explanation namedVariables(const std::vector<std::string> &names) {
  Explanation x;
  x.file = "names.mat";
  x.examination = version5File(false);
  uint64_t offset = 128;
  for (const std::string &name : names) {
    VariableExamination v = variable(x.examination.variables.size(), offset, 64, "plain");
    describe(v, name, "double", {1, 1});
    offset += v.storedBytes;
    x.examination.variables.push_back(v);
  }
  x.examination.fileBytes = offset;
  return x;
}
