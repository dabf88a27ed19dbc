#!/usr/bin/env bash
# Speed and memory of reading version 7.3 (HDF5) MAT-files. The 1.5 GB of
# doubles in eight arrays of the kestrum benchmark (bench/kestrum), rewritten
# by matio as version 7.3, uncompressed and compressed, read by:
#   kestrum            the whole report (directory, header pass, contents pass)
#   in-process         the same kestrum with MAT_V73_READER=in-process: libhdf5 in
#                      kestrum's own process, to measure what the reader process
#                      that contains libhdf5's crashes costs
#   matio whole read   matio reading every variable whole once
#   h5py               /usr/bin/python3 with h5py reading every dataset whole
#   cat                cat FILE > /dev/null
# Targets: kestrum faster than matio and than h5py on both files, at most
# 0.35 x matio's whole read on the compressed one, and at most 5 % slower
# than in-process (CPU time when perf is installed, else wall time).
# Then the one-chunk memory case: a file of about 300 KB holding one 5000x5000
# double array in a single deflated chunk (bench/mat_v73/write_one_chunk.py);
# kestrum's peak memory at most the array's 190.7 MiB plus 16 MiB.
#
#   bench/mat_v73_bench.sh [--data-dir DIR] [--build-dir DIR] [--runs N]
#
# --data-dir   where the MAT-files go, outside the repository (default
#              /work/benchdata). Written on the first run, reused later.
# --build-dir  the build to measure (default build/default of this repository);
#              configured with the default preset if missing, the programs
#              needed are built.
# --runs       runs per measure (default 3): the best wall time, the largest
#              peak memory (/usr/bin/time -v), the least CPU time (perf stat
#              task-clock, children included, when perf is installed: on a
#              busy machine it says more than the wall time). The page cache
#              is warmed first.
# Needs: libmatio-dev, libhdf5-dev, python3-h5py, time; linux-perf optional.
# Exits 0 when every target is met, 1 when one is missed, 2 on bad usage.
set -euo pipefail
export LC_ALL=C

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
data_dir=/work/benchdata
build_dir=$repo/build/default
runs=3

# shellcheck source=bench/bench_options.sh
source "$(dirname "${BASH_SOURCE[0]}")/bench_options.sh"
parse_bench_options "$@"
for tool in /usr/bin/time /usr/bin/python3; do
  [ -x "$tool" ] || { echo "$tool is missing" >&2; exit 1; }
done
/usr/bin/python3 -c 'import h5py' 2>/dev/null || { echo "h5py is missing (python3-h5py)" >&2; exit 1; }

bin=$build_dir/bin
source_file=$data_dir/kestrum-large-v6.mat
files=(kestrum-large-v73.mat kestrum-large-v73z.mat)
compression=(none zlib)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Building kestrum and the helpers in $build_dir"
if ! { { [ -f "$build_dir/CMakeCache.txt" ] || cmake --preset default -B "$build_dir"; } &&
  cmake --build "$build_dir" --target kestrum make_bench_mat matio_read_all mat73_from_mat; } \
  >"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi

# Each missing file takes up to 1.5 GB; half a gigabyte more stays free.
needed=0
for path in "$source_file" "${files[@]/#/$data_dir/}"; do
  [ -f "$path" ] || needed=$((needed + 1500000000))
done
if [ "$needed" -gt 0 ]; then
  mkdir -p "$data_dir"
  free=$(df -B1 --output=avail "$data_dir" | tail -n 1 | tr -d ' ')
  echo "Free disk space in $data_dir: $((free / 1000000)) MB; the files to write take up to $((needed / 1000000)) MB"
  if [ "$free" -lt $((needed + 500000000)) ]; then
    echo "Not enough free disk space in $data_dir; free some or pass --data-dir" >&2
    exit 1
  fi
fi

# Files are written under a temporary name and renamed when complete.
if [ ! -f "$source_file" ]; then
  echo "Writing $source_file with matio..."
  "$bin/make_bench_mat" large "$source_file.partial" 6 >/dev/null
  mv "$source_file.partial" "$source_file"
fi
for i in "${!files[@]}"; do
  path=$data_dir/${files[i]}
  [ -f "$path" ] && continue
  echo "Writing $path with matio (version 7.3, compression ${compression[i]})..."
  "$bin/mat73_from_mat" "$source_file" "$path.partial" "${compression[i]}" >/dev/null
  mv "$path.partial" "$path"
done

declare -A wall peak cpu note
perf_tool=$(command -v perf || true)
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# measure KEY COMMAND...: one run; keeps the best wall time and the largest
# peak memory under KEY, and a note if the command failed.
measure() {
  local key=$1 start end took kib used status=0
  shift
  local counter=()
  [ -z "$perf_tool" ] || counter=("$perf_tool" stat -e task-clock -x ',' -o "$work/cpu.txt" --)
  start=$EPOCHREALTIME
  "${counter[@]}" /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out.txt" 2>"$work/err.txt" ||
    status=$?
  end=$EPOCHREALTIME
  if [ -n "$perf_tool" ]; then
    used=$(awk -F, '/task-clock/ { printf "%.3f", $1 / 1000 }' "$work/cpu.txt")
    if [ -z "${cpu[$key]:-}" ] || smaller "$used" "${cpu[$key]}"; then cpu[$key]=$used; fi
  fi
  took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
  if [ -z "${wall[$key]:-}" ] || smaller "$took" "${wall[$key]}"; then wall[$key]=$took; fi
  if [ "$kib" -gt "${peak[$key]:-0}" ]; then peak[$key]=$kib; fi
  if [ "$status" -ne 0 ] || [ -s "$work/err.txt" ]; then
    note[$key]="exit $status: $(tail -n 1 "$work/err.txt")"
  fi
}

tools=(kestrum in-process matio h5py cat)
for file in "${files[@]}"; do
  path=$data_dir/$file
  cat "$path" >/dev/null
  for ((round = 0; round < runs; round++)); do
    # The two ways of running libhdf5 take turns going first: the first run after
    # the other tools pays more for the kernel's page work.
    ((round % 2 == 0)) || measure "$file:in-process" env MAT_V73_READER=in-process "$bin/kestrum" "$path"
    measure "$file:kestrum" "$bin/kestrum" "$path"
    [ "$(tail -n 1 "$work/out.txt")" = Done ] || note[$file:kestrum]="no Done: $(tail -n 1 "$work/out.txt")"
    ((round % 2 == 1)) || measure "$file:in-process" env MAT_V73_READER=in-process "$bin/kestrum" "$path"
    measure "$file:matio" "$bin/matio_read_all" "$path"
    measure "$file:h5py" /usr/bin/python3 "$repo/bench/mat_v73/h5py_read_all.py" "$path"
    measure "$file:cat" cat "$path"
  done
done

# print_table TITLE ARRAY: a row per file, a column per tool.
print_table() {
  local -n values=$2
  local file tool
  echo
  echo "$1"
  printf '%-24s %9s %12s %12s %12s %12s %12s\n' file "size MB" kestrum in-process "matio whole" h5py cat
  for file in "${files[@]}"; do
    printf '%-24s %9d' "$file" $(($(stat -c %s "$data_dir/$file") / 1000000))
    for tool in "${tools[@]}"; do
      printf ' %12s' "${values[$file:$tool]:-}"
    done
    echo
  done
}

declare -A peak_mib
# shellcheck disable=SC2034  # read by print_table through its name
for key in "${!peak[@]}"; do peak_mib[$key]=$((${peak[$key]} / 1024)); done
echo
echo "Best of $runs runs, page cache warm"
print_table "Wall time, seconds" wall
[ -z "$perf_tool" ] || print_table "CPU time (perf task-clock, children included), seconds" cpu
print_table "Peak memory (maximum resident set size), MiB" peak_mib

echo
failures=0
for file in "${files[@]}"; do
  if [ -z "${note[$file:kestrum]:-}" ] && smaller "${wall[$file:kestrum]}" "${wall[$file:matio]}" &&
    smaller "${wall[$file:kestrum]}" "${wall[$file:h5py]}"; then
    echo "PASS $file: kestrum faster than matio and h5py"
  else
    echo "FAIL $file: kestrum not faster than both matio and h5py"
    failures=$((failures + 1))
  fi
done
file=kestrum-large-v73z.mat
limit=$(awk -v t="${wall[$file:matio]}" 'BEGIN { printf "%.3f", 0.35 * t }')
if [ -z "${note[$file:kestrum]:-}" ] && ! smaller "$limit" "${wall[$file:kestrum]}"; then
  echo "PASS $file: kestrum ${wall[$file:kestrum]} s <= 0.35 x matio = $limit s"
else
  echo "FAIL $file: kestrum ${wall[$file:kestrum]} s > 0.35 x matio = $limit s"
  failures=$((failures + 1))
fi
# The reader process's cost: kestrum against in-process.
if [ -n "$perf_tool" ]; then basis=CPU; declare -n times=cpu; else basis=wall; declare -n times=wall; fi
for file in "${files[@]}"; do
  cost=$(awk -v a="${times[$file:kestrum]}" -v b="${times[$file:in-process]}" \
    'BEGIN { printf "%+.1f", (a / b - 1) * 100 }')
  if awk -v c="$cost" 'BEGIN { exit !(c <= 5) }'; then
    echo "PASS $file: the reader process costs $cost % ($basis time; target at most 5 %)"
  else
    echo "FAIL $file: the reader process costs $cost % ($basis time; target at most 5 %)"
    failures=$((failures + 1))
  fi
done

# The one-chunk memory case.
one_chunk=$data_dir/one-chunk-5000x5000-v73.mat
[ -f "$one_chunk" ] || /usr/bin/python3 "$repo/bench/mat_v73/write_one_chunk.py" "$one_chunk"
for ((round = 0; round < runs; round++)); do
  measure one-chunk:kestrum "$bin/kestrum" "$one_chunk"
  [ "$(tail -n 1 "$work/out.txt")" = Done ] || note[one-chunk:kestrum]="no Done: $(tail -n 1 "$work/out.txt")"
done
array_kib=$((5000 * 5000 * 8 / 1024))
echo "One 5000x5000 array in one chunk ($(($(stat -c %s "$one_chunk") / 1000)) KB): kestrum" \
  "${wall[one-chunk:kestrum]} s, peak $((${peak[one-chunk:kestrum]} / 1024)) MiB" \
  "(the array: $((array_kib / 1024)) MiB)"
if [ -z "${note[one-chunk:kestrum]:-}" ] &&
  [ "${peak[one-chunk:kestrum]}" -le $((array_kib + 16 * 1024)) ]; then
  echo "PASS one chunk: peak at most the array plus 16 MiB"
else
  echo "FAIL one chunk: peak above the array plus 16 MiB"
  failures=$((failures + 1))
fi
for key in "${!note[@]}"; do echo "  $key: ${note[$key]}"; done | sort
exit $((failures > 0))
