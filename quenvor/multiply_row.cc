#include "multiply_row.h"

void multiplyRow(double multiplier, const double *in, double *out, int n) {
  for (int i = 0; i < n; ++i) out[i] = multiplier * in[i];
}
