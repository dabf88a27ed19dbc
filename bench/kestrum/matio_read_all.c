/* The matio side of the kestrum benchmark: reads every variable of a MAT-file
 * whole, once, in file order, and frees it. Prints the number of variables
 * and the largest one's data size in bytes.
 *
 *   matio_read_all FILE */
#include <stdio.h>

#include <matio.h>

int main(int argc, char *argv[]) {
  if (argc != 2) {
    fprintf(stderr, "usage: matio_read_all FILE\n");
    return 2;
  }
  mat_t *mat = Mat_Open(argv[1], MAT_ACC_RDONLY);
  if (mat == NULL) {
    fprintf(stderr, "matio_read_all: cannot open %s\n", argv[1]);
    return 1;
  }
  size_t count = 0, largest = 0;
  matvar_t *variable;
  while ((variable = Mat_VarReadNext(mat)) != NULL) {
    ++count;
    size_t bytes = Mat_VarGetSize(variable);
    if (bytes > largest) largest = bytes;
    int unread = bytes > 0 && variable->data == NULL;
    Mat_VarFree(variable);
    if (unread) {
      fprintf(stderr, "matio_read_all: variable %zu came without its data\n", count);
      Mat_Close(mat);
      return 1;
    }
  }
  Mat_Close(mat);
  printf("%zu variables, largest %zu bytes\n", count, largest);
  return count > 0 ? 0 : 1;
}
