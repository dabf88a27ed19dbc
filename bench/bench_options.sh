# shellcheck shell=bash disable=SC2034,SC2154  # sets the sourcing script's variables
# Options shared by the MAT-file benchmark scripts; sourced, not run.
# Before sourcing, set data_dir, build_dir and runs to their defaults and
# repo to the repository's root; then call parse_bench_options "$@".
#   --data-dir DIR   where the MAT-files go, outside the repository
#   --build-dir DIR  the build to measure
#   --runs N         runs per measure
# Exits with status 2 on a bad option or a data directory inside the repository.

bench_usage() {
  echo "usage: $0 [--data-dir DIR] [--build-dir DIR] [--runs N]" >&2
  exit 2
}

parse_bench_options() {
  while [ $# -gt 0 ]; do
    case "$1" in
      --data-dir) [ $# -ge 2 ] || bench_usage; data_dir=$2; shift 2 ;;
      --build-dir) [ $# -ge 2 ] || bench_usage; build_dir=$2; shift 2 ;;
      --runs) [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || bench_usage; runs=$2; shift 2 ;;
      *) bench_usage ;;
    esac
  done
  build_dir=$(realpath -m "$build_dir")
  case "$(realpath -m "$data_dir")/" in
    "$repo"/*) echo "The data directory must lie outside the repository: $data_dir" >&2; exit 2 ;;
  esac
}
