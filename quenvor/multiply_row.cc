#include "multiply_row.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Where the compiler and the loader can choose a build of a function when
// the plug-in is loaded (GCC on x86-64 ELF systems), the loop is also built
// for AVX2 and AVX-512 and the build the processor runs best is taken:
// the baseline x86-64 build moves two doubles an instruction.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
#define FOR_EACH_PROCESSOR __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define FOR_EACH_PROCESSOR
#endif

namespace {

FOR_EACH_PROCESSOR void multiplyCached(double multiplier, const double *in, double *out, int n) {
  for (int i = 0; i < n; ++i) out[i] = multiplier * in[i];
}

#if defined(__SSE2__)
// A row of this many doubles and more is far larger than the caches, so its
// results are streamed to memory past them: a cached store would first read
// each line of `out` from memory only to overwrite it.
constexpr int kStreamedLength = 1 << 22;

void multiplyStreamed(double multiplier, const double *in, double *out, int n) {
  int i = 0;
  for (; i < n && (reinterpret_cast<uintptr_t>(out + i) & 15) != 0; ++i) out[i] = multiplier * in[i];
  __m128d factor = _mm_set1_pd(multiplier);
  for (; i + 2 <= n; i += 2) _mm_stream_pd(out + i, _mm_mul_pd(factor, _mm_loadu_pd(in + i)));
  _mm_sfence();  // the streamed stores reach memory before later ones
  for (; i < n; ++i) out[i] = multiplier * in[i];
}
#endif

}  // namespace

void multiplyRow(double multiplier, const double *in, double *out, int n) {
#if defined(__SSE2__)
  if (n >= kStreamedLength) {
    multiplyStreamed(multiplier, in, out, n);
    return;
  }
#endif
  multiplyCached(multiplier, in, out, n);
}
