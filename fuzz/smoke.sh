#!/usr/bin/env bash
# A short fuzz run as a smoke check (about a minute): builds the fuzz preset,
# makes the seed corpus once, and runs each target; fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target diagnosis_fuzzer literal_parser_fuzzer
[ -d "$build/seeds/mat" ] || fuzz/make_seed_corpus.sh "$build/seeds"
fuzz/run_fuzzer.sh "$build" diagnosis 40 "$build/corpus-diagnosis" "$build/seeds/mat"
fuzz/run_fuzzer.sh "$build" literal 20 "$build/corpus-literal" "$build/seeds/literal"
