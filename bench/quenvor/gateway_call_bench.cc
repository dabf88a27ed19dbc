// The whole call of quenvor's gateway, as a host makes it: loaded from its
// built file, called through the stand-in host, the output array created by
// the gateway and destroyed afterwards. n = 3 gives the fixed cost of a call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "mex_host.h"
#include "mx_array.h"
#include "plugin_loader.h"

namespace {

LoadedPlugin &quenvor() {
  static LoadedPlugin plugin = [] {
    LoadedPlugin loaded;
    std::string error;
    if (!loadPlugin(QUENVOR_PATH, loaded, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(1);
    }
    return loaded;
  }();
  return plugin;
}

void BM_GatewayCall(benchmark::State &state) {
  size_t n = static_cast<size_t>(state.range(0));
  mxArray *multiplier = standin::createNumeric(ArrayClass::Double, {1, 1}, false);
  mxArray *row = standin::createNumeric(ArrayClass::Double, {1, n}, false);
  *mxGetPr(multiplier) = 3.0;
  for (size_t i = 0; i < n; ++i) mxGetPr(row)[i] = 1.5;
  const mxArray *inputs[] = {multiplier, row};
  standin::GatewayError error;
  // One call first, as a host that calls the plug-in again and again has
  // made: a large output then lands in the block the stand-in kept from the
  // last one (cleared), not in fresh pages, as in every later call.
  mxArray *first[1] = {nullptr};
  if (standin::callGateway(quenvor().gateway, 1, first, 2, inputs, error)) mxDestroyArray(first[0]);
  for (auto _ : state) {
    mxArray *outputs[1] = {nullptr};
    if (!standin::callGateway(quenvor().gateway, 1, outputs, 2, inputs, error)) {
      state.SkipWithError(error.message.c_str());
      break;
    }
    benchmark::DoNotOptimize(mxGetPr(outputs[0]));
    mxDestroyArray(outputs[0]);
  }
  state.SetBytesProcessed(state.iterations() * int64_t(n) * 16);
  mxDestroyArray(row);
  mxDestroyArray(multiplier);
}

double fastest(const std::vector<double> &times) { return *std::min_element(times.begin(), times.end()); }

BENCHMARK(BM_GatewayCall)
    ->Arg(3)->Arg(1000)->Arg(100000)->Arg(1000000)->Arg(10000000)->Arg(100000000)
    ->Repetitions(3)->ComputeStatistics("min", fastest)->DisplayAggregatesOnly();

}  // namespace
