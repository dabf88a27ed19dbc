#include "multiply_row.h"

// Where the compiler and the loader can choose a build of a function when
// the plug-in is loaded (GCC on x86-64 ELF systems), the loop is also built
// for AVX2 and AVX-512 and the build the processor runs best is taken:
// the baseline x86-64 build moves two doubles an instruction.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
#define FOR_EACH_PROCESSOR __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define FOR_EACH_PROCESSOR
#endif

FOR_EACH_PROCESSOR void multiplyRow(double multiplier, const double *in, double *out, int n) {
  for (int i = 0; i < n; ++i) out[i] = multiplier * in[i];
}
