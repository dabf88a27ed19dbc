#!/usr/bin/env bash
# Runs one fuzz target with the limits that come from kestrum's targets.
#
#   fuzz/run_fuzzer.sh BUILD_DIR diagnosis|literal|v73plan|explain SECONDS CORPUS_DIR [SEEDS_DIR] [-- LIBFUZZER_ARGS]
#
# diagnosis: inputs up to 64 KiB; a run of one input may take 2 s and, as
#   kestrum may peak at 64 MiB + 1100 bytes per byte of the file, no single
#   allocation may exceed 133 MiB. The whole process may hold 1 GiB more for
#   the sanitizers' shadow memory and quarantine and the corpus.
# literal: texts up to 4 KiB; the parser builds arrays of up to 2 GiB of data,
#   so an allocation may take 2.2 GiB and an input 10 s.
# v73plan: version 7.3 plans with libhdf5 in process, inputs up to 64 KiB.
#   libhdf5 itself crashes and asks for absurd amounts on some damaged files
#   (kestrum's reader process contains that); for a long run pass
#   -- -fork=2 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 and sort
#   the findings with fuzz/triage_reader_findings.sh.
# explain: the examination and salvage of inputs up to 64 KiB, each
#   salvaged file read by kestrum's diagnosis; twice the diagnosis's time.
# New inputs go to CORPUS_DIR; findings to CORPUS_DIR/../findings-TARGET/.
# Exits with libFuzzer's status: non-zero on a finding.
set -euo pipefail
[ $# -ge 4 ] || { echo "usage: $0 BUILD_DIR diagnosis|literal|v73plan|explain SECONDS CORPUS_DIR [SEEDS_DIR] [-- ARGS]" >&2; exit 2; }
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1 target=$2 seconds=$3 corpus=$4
shift 4
dirs=("$corpus")
if [ $# -gt 0 ] && [ "$1" != "--" ]; then dirs+=("$1"); shift; fi
[ "${1:-}" = "--" ] && shift
case "$target" in
  diagnosis) limits=(-max_len=65536 -timeout=2 -malloc_limit_mb=133 -rss_limit_mb=1157) ;;
  literal) limits=(-max_len=4096 -timeout=10 -malloc_limit_mb=2253 -rss_limit_mb=3277) ;;
  v73plan) limits=(-max_len=65536 -timeout=2 -malloc_limit_mb=1024 -rss_limit_mb=2048) ;;
  explain) limits=(-max_len=65536 -timeout=4 -malloc_limit_mb=133 -rss_limit_mb=1157) ;;
  *) echo "unknown target $target" >&2; exit 2 ;;
esac
findings=$(dirname "$corpus")/findings-$target
mkdir -p "$corpus" "$findings"
export ASAN_OPTIONS=quarantine_size_mb=16:malloc_context_size=20
# kestrum leaves its file open when it stops at a failure.
export LSAN_OPTIONS=print_suppressions=0:suppressions=$repo/fuzz/leaks_at_failure.supp
case "$target" in
  literal) program=literal_parser_fuzzer ;;
  v73plan) program=v73_plan_fuzzer ;;
  explain) program=explain_fuzzer ;;
  *) program=${target}_fuzzer ;;
esac
exec "$build/bin/$program" "${limits[@]}" -max_total_time="$seconds" \
  -artifact_prefix="$findings/" -print_final_stats=1 "$@" "${dirs[@]}"
