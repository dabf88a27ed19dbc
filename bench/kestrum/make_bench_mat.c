/* Writes the MAT-files that the kestrum benchmark reads, with matio, so that
 * the files come from a writer independent of the reader under test:
 *
 *   make_bench_mat large FILE 6|7   eight arrays of doubles, 2-D and 3-D, one
 *                                   of them global, about 1.5 GB of data
 *   make_bench_mat many FILE 6|7    20,000 small arrays of doubles
 *
 * Version 6 is stored uncompressed, version 7 compressed with zlib. The values
 * are smooth functions plus noise, rounded to a fixed step: they compress, but
 * not trivially. Prints the number of variables and the largest one's size. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <matio.h>

typedef struct {
  const char *name;
  int rank;
  size_t dims[3];
  int global;
} VariableShape;

/* 1,499,286,400 bytes of data in all; the largest holds 256,000,000. */
static const VariableShape kLargeVariables[] = {
    {"temperature", 3, {400, 400, 200}, 0}, {"pressure", 2, {5000, 5000, 1}, 1},
    {"density", 3, {300, 300, 250}, 0},     {"elevation", 2, {4000, 5000, 1}, 0},
    {"velocity", 3, {256, 256, 300}, 0},    {"salinity", 2, {6000, 3000, 1}, 0},
    {"vorticity", 3, {200, 300, 400}, 0},   {"irradiance", 2, {5250, 5000, 1}, 0},
};
enum { kLargeCount = sizeof kLargeVariables / sizeof kLargeVariables[0] };

/* The small variables cycle through these shapes. */
static const VariableShape kSmallShapes[] = {
    {NULL, 2, {1, 1, 1}, 0},  {NULL, 2, {1, 8, 1}, 0}, {NULL, 2, {3, 3, 1}, 0},
    {NULL, 2, {4, 5, 1}, 0},  {NULL, 3, {2, 3, 4}, 0}, {NULL, 2, {10, 10, 1}, 0},
    {NULL, 2, {1, 32, 1}, 0}, {NULL, 2, {6, 1, 1}, 0},
};
enum { kSmallShapeCount = sizeof kSmallShapes / sizeof kSmallShapes[0] };
enum { kSmallVariableCount = 20000 };

static uint64_t noiseState = 0x9E3779B97F4A7C15u;

/* Uniform noise in [-0.5, 0.5), from a xorshift64* generator. */
static double nextNoise(void) {
  noiseState ^= noiseState >> 12;
  noiseState ^= noiseState << 25;
  noiseState ^= noiseState >> 27;
  uint64_t bits = noiseState * 0x2545F4914F6CDD1Du;
  return (double)(bits >> 11) * (1.0 / 9007199254740992.0) - 0.5;
}

static size_t elementCount(const VariableShape *shape) {
  return shape->dims[0] * shape->dims[1] * shape->dims[2];
}

/* Fills `data` (column-major) with a product of waves along the first two
 * dimensions, a wave along the diagonal and a drift along the third, plus
 * noise, rounded to multiples of 1/4096. `seed` varies the frequencies. */
static void fillSmoothWithNoise(double *data, const VariableShape *shape, int seed) {
  size_t n0 = shape->dims[0], n1 = shape->dims[1], n2 = shape->dims[2];
  double f0 = 0.011 + 0.003 * (seed % 7), f1 = 0.007 + 0.002 * (seed % 5);
  double *wave0 = malloc(n0 * sizeof *wave0), *wave1 = malloc(n1 * sizeof *wave1);
  double *diagonal = malloc((n0 + n1 + n2) * sizeof *diagonal);
  if (wave0 == NULL || wave1 == NULL || diagonal == NULL) {
    fprintf(stderr, "make_bench_mat: out of memory\n");
    exit(1);
  }
  for (size_t i = 0; i < n0; ++i) wave0[i] = sin(f0 * (double)i);
  for (size_t j = 0; j < n1; ++j) wave1[j] = cos(f1 * (double)j);
  for (size_t d = 0; d < n0 + n1 + n2; ++d) diagonal[d] = 0.3 * sin(0.05 * (double)d);

  size_t at = 0;
  for (size_t k = 0; k < n2; ++k) {
    for (size_t j = 0; j < n1; ++j) {
      for (size_t i = 0; i < n0; ++i) {
        double value = wave0[i] * wave1[j] + diagonal[i + j + k] + 0.002 * (double)k +
                       0.05 * nextNoise();
        data[at++] = round(value * 4096.0) / 4096.0;
      }
    }
  }
  free(wave0);
  free(wave1);
  free(diagonal);
}

static int writeVariable(mat_t *mat, const char *name, const VariableShape *shape, double *data,
                         enum matio_compression compression) {
  size_t dims[3] = {shape->dims[0], shape->dims[1], shape->dims[2]};
  matvar_t *variable = Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, shape->rank, dims, data,
                                     MAT_F_DONT_COPY_DATA);
  if (variable == NULL) return 1;
  variable->isGlobal = shape->global;
  int failed = Mat_VarWrite(mat, variable, compression) != 0;
  Mat_VarFree(variable); /* leaves `data` alone: it was not copied */
  return failed;
}

static int writeLargeVariables(mat_t *mat, enum matio_compression compression) {
  size_t largest = 0;
  for (int v = 0; v < kLargeCount; ++v) {
    if (elementCount(&kLargeVariables[v]) > largest) largest = elementCount(&kLargeVariables[v]);
  }
  double *data = malloc(largest * sizeof *data);
  if (data == NULL) return 1;
  int failed = 0;
  for (int v = 0; v < kLargeCount && !failed; ++v) {
    fillSmoothWithNoise(data, &kLargeVariables[v], v);
    failed = writeVariable(mat, kLargeVariables[v].name, &kLargeVariables[v], data, compression);
  }
  free(data);
  if (!failed) printf("%d variables, largest %zu bytes\n", kLargeCount, largest * sizeof *data);
  return failed;
}

/* Every 100th small variable is global. */
static int writeSmallVariables(mat_t *mat, enum matio_compression compression) {
  double data[10 * 10];
  size_t largest = 0;
  for (int v = 0; v < kSmallVariableCount; ++v) {
    VariableShape shape = kSmallShapes[v % kSmallShapeCount];
    shape.global = v % 100 == 0;
    char name[32];
    snprintf(name, sizeof name, "sample_%05d", v);
    fillSmoothWithNoise(data, &shape, v);
    if (writeVariable(mat, name, &shape, data, compression) != 0) return 1;
    if (elementCount(&shape) > largest) largest = elementCount(&shape);
  }
  printf("%d variables, largest %zu bytes\n", kSmallVariableCount, largest * sizeof data[0]);
  return 0;
}

int main(int argc, char *argv[]) {
  if (argc != 4 || (strcmp(argv[1], "large") != 0 && strcmp(argv[1], "many") != 0) ||
      (strcmp(argv[3], "6") != 0 && strcmp(argv[3], "7") != 0)) {
    fprintf(stderr, "usage: make_bench_mat large|many FILE 6|7\n");
    return 2;
  }
  enum matio_compression compression =
      strcmp(argv[3], "7") == 0 ? MAT_COMPRESSION_ZLIB : MAT_COMPRESSION_NONE;
  mat_t *mat = Mat_CreateVer(argv[2], NULL, MAT_FT_MAT5);
  if (mat == NULL) {
    fprintf(stderr, "make_bench_mat: cannot create %s\n", argv[2]);
    return 1;
  }
  int failed = strcmp(argv[1], "large") == 0 ? writeLargeVariables(mat, compression)
                                             : writeSmallVariables(mat, compression);
  if (Mat_Close(mat) != 0) failed = 1;
  if (failed) fprintf(stderr, "make_bench_mat: writing %s failed\n", argv[2]);
  return failed;
}
