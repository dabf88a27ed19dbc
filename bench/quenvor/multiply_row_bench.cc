// multiplyRow against the plain scale loop (STREAM's Scale kernel), both
// writing into memory that is already touched, so that page faults do not
// count. Bytes processed: 16 per element (one double read, one written).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "multiply_row.h"

namespace {

void scaleLoop(double scalar, const double *a, double *b, int n) {
  for (int i = 0; i < n; ++i) b[i] = scalar * a[i];
}

template <void (*Kernel)(double, const double *, double *, int)>
void runKernel(benchmark::State &state) {
  int n = static_cast<int>(state.range(0));
  std::vector<double> in(n, 1.5), out(n, 0.0);
  for (auto _ : state) {
    Kernel(3.0, in.data(), out.data(), n);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(n) * 16);
}

void BM_MultiplyRow(benchmark::State &state) { runKernel<multiplyRow>(state); }
void BM_ScaleLoop(benchmark::State &state) { runKernel<scaleLoop>(state); }

double fastest(const std::vector<double> &times) { return *std::min_element(times.begin(), times.end()); }

// Three runs of each size; the fastest is what the comparison script reads,
// as timeit's best is what it reads for numpy.
void sizes(benchmark::internal::Benchmark *b) {
  for (int64_t n : {1000, 100000, 1000000, 10000000, 100000000}) b->Arg(n);
  b->Repetitions(3)->ComputeStatistics("min", fastest)->DisplayAggregatesOnly();
}

BENCHMARK(BM_MultiplyRow)->Apply(sizes);
BENCHMARK(BM_ScaleLoop)->Apply(sizes);

}  // namespace
