/* Rewrites a MAT-file as a version 7.3 (HDF5) MAT-file with matio, variable
 * by variable, so that the version 7.3 benchmark reads the same data as the
 * version 6/7 one:
 *
 *   mat73_from_mat IN OUT none|zlib
 *
 * Prints the number of variables written. */
#include <stdio.h>
#include <string.h>

#include <matio.h>

int main(int argc, char *argv[]) {
  if (argc != 4 || (strcmp(argv[3], "none") != 0 && strcmp(argv[3], "zlib") != 0)) {
    fprintf(stderr, "usage: mat73_from_mat IN OUT none|zlib\n");
    return 2;
  }
  enum matio_compression compression =
      strcmp(argv[3], "zlib") == 0 ? MAT_COMPRESSION_ZLIB : MAT_COMPRESSION_NONE;
  mat_t *in = Mat_Open(argv[1], MAT_ACC_RDONLY);
  mat_t *out = in != NULL ? Mat_CreateVer(argv[2], NULL, MAT_FT_MAT73) : NULL;
  if (out == NULL) {
    fprintf(stderr, "mat73_from_mat: cannot open %s or create %s\n", argv[1], argv[2]);
    return 1;
  }
  size_t count = 0;
  int failed = 0;
  matvar_t *variable;
  while (!failed && (variable = Mat_VarReadNext(in)) != NULL) {
    failed = Mat_VarWrite(out, variable, compression) != 0;
    Mat_VarFree(variable);
    ++count;
  }
  Mat_Close(in);
  failed = Mat_Close(out) != 0 || failed;
  if (failed) {
    fprintf(stderr, "mat73_from_mat: writing %s failed\n", argv[2]);
    return 1;
  }
  printf("%zu variables\n", count);
  return 0;
}
