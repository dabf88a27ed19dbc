#include "v73_fixtures.h"

#include <sys/stat.h>

#if HAVE_MATIO
#include <matio.h>
#endif

std::string missingH5pyFixtures() {
  if (!HAVE_H5PY) return "h5py (Debian python3-h5py) was not found when the build was configured";
  struct stat info;
  if (stat(h5pyFixture("h5py_basic").c_str(), &info) != 0) {
    return "the h5py files are missing: run the test mat_v73.fixtures.h5py first";
  }
  return "";
}

std::string h5pyFixture(const std::string &name) {
  return std::string(H5PY_FIXTURE_DIR) + "/" + name + ".mat";
}

std::string missingMatio() {
  return HAVE_MATIO ? "" : "matio (pkg-config matio) was not found when the build was configured";
}

const std::vector<ReportVariable> &matioPairVariables() {
  static const std::vector<ReportVariable> variables = {
      {"a_matrix", 2, false},  {"b_cube", 3, false},    {"c_cell", 2, false},
      {"d_text", 2, false},    {"e_empty", 2, false},   {"f_logical", 2, false},
      {"g_sparse", 2, false},  {"h_struct", 2, false},  {"i_four_d", 4, false},
      {"j_complex", 2, false}, {"k_records", 2, false}, {"l_five_d", 5, false},
      {"m_trailing", 2, false},
  };
  return variables;
}

#if HAVE_MATIO

namespace {

struct Writer {
  mat_t *file;
  matio_compression compression;
  bool ok = true;

  void add(matvar_t *variable) {
    ok = ok && variable != nullptr && Mat_VarWrite(file, variable, compression) == 0;
    if (variable != nullptr) Mat_VarFree(variable);
  }
};

matvar_t *numeric(const char *name, matio_classes cls, matio_types type, std::vector<size_t> dims,
                  void *data, int flags = 0) {
  return Mat_VarCreate(name, cls, type, static_cast<int>(dims.size()), dims.data(), data, flags);
}

matvar_t *scalarDouble(double *value) {
  return numeric(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, {1, 1}, value);
}

// The data of matioPairVariables, in the same order.
void writeVariables(Writer &out) {
  static double values[120];
  for (int i = 0; i < 120; ++i) values[i] = i;
  static char text[] = "hello";
  // Text inside a cell or struct as UTF-16: matio 1.5.23 writes a nested
  // char array of uint8 data into a compressed variable with a size 8 bytes
  // larger than its contents, which its own reader, like ours, then refuses.
  static uint16_t wideText[] = {'h', 'e', 'l', 'l', 'o'};
  static unsigned char flags[] = {1, 0, 1};
  static double real[] = {1, 2}, imag[] = {3, 4};
  static mat_complex_split_t split = {real, imag};
  static mat_uint32_t rows[] = {0, 2}, starts[] = {0, 1, 1, 2};
  static double sparseValues[] = {5, 6};
  static mat_sparse_t sparse = {2, rows, 2, starts, 4, 2, sparseValues};
  static int16_t shorts[24];
  static float singles[12];
  const char *fields[] = {"x", "y"};

  out.add(numeric("a_matrix", MAT_C_DOUBLE, MAT_T_DOUBLE, {2, 3}, values));
  out.add(numeric("b_cube", MAT_C_DOUBLE, MAT_T_DOUBLE, {2, 3, 4}, values));
  size_t cellDims[] = {1, 2};
  matvar_t *cell = Mat_VarCreate("c_cell", MAT_C_CELL, MAT_T_CELL, 2, cellDims, nullptr, 0);
  Mat_VarSetCell(cell, 0, scalarDouble(values + 1));
  Mat_VarSetCell(cell, 1, numeric(nullptr, MAT_C_CHAR, MAT_T_UINT16, {1, 5}, wideText));
  out.add(cell);
  out.add(numeric("d_text", MAT_C_CHAR, MAT_T_UINT8, {1, 5}, text));
  out.add(numeric("e_empty", MAT_C_DOUBLE, MAT_T_DOUBLE, {0, 3}, nullptr));
  out.add(numeric("f_logical", MAT_C_UINT8, MAT_T_UINT8, {3, 1}, flags, MAT_F_LOGICAL));
  out.add(numeric("g_sparse", MAT_C_SPARSE, MAT_T_DOUBLE, {3, 3}, &sparse));
  size_t one[] = {1, 1};
  matvar_t *record = Mat_VarCreateStruct("h_struct", 2, one, fields, 2);
  Mat_VarSetStructFieldByName(record, "x", 0, scalarDouble(values + 2));
  Mat_VarSetStructFieldByName(record, "y", 0, numeric(nullptr, MAT_C_CHAR, MAT_T_UINT16, {1, 5}, wideText));
  out.add(record);
  out.add(numeric("i_four_d", MAT_C_INT16, MAT_T_INT16, {2, 3, 2, 2}, shorts));
  out.add(numeric("j_complex", MAT_C_DOUBLE, MAT_T_DOUBLE, {1, 2}, &split, MAT_F_COMPLEX));
  size_t recordDims[] = {1, 2};
  matvar_t *records = Mat_VarCreateStruct("k_records", 2, recordDims, fields, 2);
  for (size_t i = 0; i < 2; ++i) {
    Mat_VarSetStructFieldByName(records, "x", i, scalarDouble(values + i));
    Mat_VarSetStructFieldByName(records, "y", i, scalarDouble(values + i + 1));
  }
  out.add(records);
  out.add(numeric("l_five_d", MAT_C_SINGLE, MAT_T_SINGLE, {2, 1, 3, 1, 2}, singles));
  out.add(numeric("m_trailing", MAT_C_DOUBLE, MAT_T_DOUBLE, {2, 3, 1}, values));
}

bool writeFile(const std::string &path, mat_ft format, matio_compression compression) {
  mat_t *file = Mat_CreateVer(path.c_str(), nullptr, format);
  if (file == nullptr) return false;
  Writer out{file, compression};
  writeVariables(out);
  return Mat_Close(file) == 0 && out.ok;
}

}  // namespace

bool writeMatioPair(const std::string &directory, MatioPair &pair) {
  pair.version73 = directory + "/matio_v73.mat";
  pair.version7 = directory + "/matio_v7.mat";
  return writeFile(pair.version73, MAT_FT_MAT73, MAT_COMPRESSION_ZLIB) &&
         writeFile(pair.version7, MAT_FT_MAT5, MAT_COMPRESSION_ZLIB);
}

#else

bool writeMatioPair(const std::string &, MatioPair &) { return false; }

#endif
