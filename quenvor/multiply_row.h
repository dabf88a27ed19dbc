#ifndef QUENVOR_MULTIPLY_ROW_H
#define QUENVOR_MULTIPLY_ROW_H

// out[i] = multiplier * in[i] for i from 0 while i < n; nothing for n <= 0.
void multiplyRow(double multiplier, const double *in, double *out, int n);

#endif
