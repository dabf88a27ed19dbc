#!/usr/bin/env bash
# A short fuzz run as a smoke check (about a minute): builds the fuzz preset,
# makes the seed corpus once, and runs each target; fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target diagnosis_fuzzer literal_parser_fuzzer v73_plan_fuzzer \
  explain_fuzzer
[ -d "$build/seeds/mat" ] || fuzz/make_seed_corpus.sh "$build/seeds"
fuzz/run_fuzzer.sh "$build" diagnosis 40 "$build/corpus-diagnosis" "$build/seeds/mat"
fuzz/run_fuzzer.sh "$build" literal 20 "$build/corpus-literal" "$build/seeds/literal"
fuzz/run_fuzzer.sh "$build" explain 20 "$build/corpus-explain" "$build/seeds/mat"
# The version 7.3 plans with libhdf5 in process: the seeds only, since a
# mutated file soon crashes libhdf5 itself (long runs: fuzz/run_fuzzer.sh).
# Its corpus is a fresh folder: a long run's corpus holds inputs on which
# libhdf5 leaks or crashes.
mkdir -p "$build/seeds/v73"
for seed in "$build"/seeds/mat/*; do
  head -c 20 "$seed" | grep -q '^MATLAB 7\.3' && cp "$seed" "$build/seeds/v73/"
done
rm -rf "$build/smoke-corpus-v73plan"
fuzz/run_fuzzer.sh "$build" v73plan 10 "$build/smoke-corpus-v73plan" "$build/seeds/v73" -- -runs=0
