// kestrum: reports on a MAT-file's variables, from their headers and from
// the variables read whole.
#include <cstdio>

#include "diagnose_mat_file.h"

int main(int argc, char *argv[]) {
  if (argc > 1) return diagnoseMatFile(argv[1]) != 0 ? 1 : 0;
  std::printf("Usage: kestrum <matfile>");
  std::printf(" where <matfile> is the name of the MAT-file");
  std::printf(" to be diagnosed\n");
  return 0;
}
