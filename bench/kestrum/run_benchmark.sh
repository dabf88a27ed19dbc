#!/usr/bin/env bash
# Speed and memory benchmark of kestrum. On a MAT-file of about 1.5 GB in eight
# arrays of doubles, stored as version 6 (uncompressed) and as version 7
# (compressed), and on a version 7 file of 20,000 small variables, it measures
# side by side:
#   kestrum            the whole report (directory, header pass, contents pass)
#   kestrum-explain    the examination of every byte (the file is intact: status 0)
#   matio whole read   matio reading every variable whole once
#   zlib inflate       zlib inflating the compressed streams, nothing else
#   ISA-L inflate      ISA-L's igzip doing the same (zlib wrapper, checksum
#                      checked, into a reused 256 KiB buffer)
#   cat                cat FILE > /dev/null
# and checks kestrum against its targets (PASS/FAIL): peak memory at most the
# largest variable plus 16 MiB on every file; wall time at most 0.35 x matio
# on the uncompressed file, at most 0.6 x matio and 1.15 x ISA-L inflate
# alone on the compressed one, at most 0.25 x matio on the 20,000 variables;
# kestrum-explain at most 32 MiB on every file and, on the compressed one, at
# most 1.1 x ISA-L inflate alone.
#
#   bench/kestrum/run_benchmark.sh [--data-dir DIR] [--build-dir DIR] [--runs N]
#
# --data-dir   where the MAT-files go, outside the repository (default
#              /work/benchdata, or $KESTRUM_BENCH_DATA). matio writes them on the
#              first run; later runs reuse them (delete them to write them anew).
# --build-dir  the build to measure (default build/default of this repository,
#              or $KESTRUM_BENCH_BUILD); configured with the default preset if
#              it does not exist, and the programs needed are built.
# --runs       rounds (default 3; five times as many on a file under 100 MB),
#              each running every program once. Wall time and CPU time (user +
#              system) are the best round's, peak memory the largest maximum
#              resident set size (/usr/bin/time -v). The page cache is warmed
#              with one cat of each file first.
# Exits 0 when every target is met, 1 when one is missed, 2 on bad usage.
set -euo pipefail
export LC_ALL=C

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
data_dir=${KESTRUM_BENCH_DATA:-/work/benchdata}
build_dir=${KESTRUM_BENCH_BUILD:-$repo/build/default}
runs=3

# shellcheck source=bench/bench_options.sh
source "$(dirname "${BASH_SOURCE[0]}")/../bench_options.sh"
parse_bench_options "$@"

# The files: name, what make_bench_mat writes, MAT-file version, and the most
# bytes it can take on disk (version 7 is compressed, so at most the size of v6).
files=(kestrum-large-v6.mat kestrum-large-v7.mat kestrum-many-v7.mat)
contents=(large large many)
versions=(6 7 7)
most_bytes=(1500000000 1500000000 50000000)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$build_dir/bin

ensure_time_tool() {
  [ -x /usr/bin/time ] && return
  echo "Installing the Debian package time (for /usr/bin/time -v)"
  if [ "$(id -u)" -ne 0 ]; then
    echo "/usr/bin/time is missing and installing it needs root: apt-get install time" >&2
    exit 1
  fi
  apt-get update >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends time >/dev/null
}

build_failed() {
  cat "$work/build.log" >&2
  echo "Building failed; the helpers also need matio (Debian package libmatio-dev)" >&2
  exit 1
}

build_programs() {
  echo "Building kestrum and the benchmark's helpers in $build_dir"
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    (cd "$repo" && cmake --preset default -B "$build_dir") >"$work/build.log" 2>&1 || build_failed
  fi
  cmake --build "$build_dir" --target kestrum kestrum-explain make_bench_mat matio_read_all \
    inflate_streams \
    >>"$work/build.log" 2>&1 || build_failed
}

# Prints bytes as decimal gigabytes with one decimal.
gigabytes() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1e9 }'; }

check_disk_space() {
  local needed=0 i
  for i in "${!files[@]}"; do
    [ -f "$data_dir/${files[i]}" ] || needed=$((needed + most_bytes[i]))
  done
  [ "$needed" -eq 0 ] && return
  mkdir -p "$data_dir"
  local free
  free=$(df -B1 --output=avail "$data_dir" | tail -n 1 | tr -d ' ')
  echo "Free disk space in $data_dir: $(gigabytes "$free") GB;" \
    "the files still to write take up to $(gigabytes "$needed") GB"
  if [ "$free" -lt $((needed + 500000000)) ]; then
    echo "Not enough free disk space: $(gigabytes $((needed + 500000000))) GB needed" \
      "in $data_dir; free some or pass --data-dir" >&2
    exit 1
  fi
}

# Writes a missing file under a temporary name and renames it when complete,
# so that a file cut short is never reused.
write_missing_files() {
  local i path
  for i in "${!files[@]}"; do
    path=$data_dir/${files[i]}
    [ -f "$path" ] && continue
    echo "Writing $path with matio (${contents[i]} variables, version ${versions[i]})..."
    "$bin/make_bench_mat" "${contents[i]}" "$path.partial" "${versions[i]}" >/dev/null
    mv "$path.partial" "$path"
  done
}

declare -A wall cpu peak note largest

# smaller A B: succeeds if A < B (decimal numbers).
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# cpu_seconds FILE: the CPU time (user + system, seconds) of the finished
# children of this shell, from the second line of `times` saved in FILE
# (millisecond resolution; `times` must run in this shell, not a subshell).
cpu_seconds() {
  awk 'NR == 2 { for (i = 1; i <= 2; ++i) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] } }
       END { printf "%.3f", t }' "$1"
}

# measure_once KEY OUTPUT COMMAND...: runs COMMAND once with its standard
# output in OUTPUT, and keeps under KEY the best wall time and CPU time (user +
# system, seconds) and the largest peak memory (KiB) seen so far. Sets status.
measure_once() {
  local key=$1 output=$2
  shift 2
  local start end took used kib
  times >"$work/cpu_before.txt"
  start=$EPOCHREALTIME
  status=0
  /usr/bin/time -v -o "$work/time.txt" "$@" >"$output" 2>"$work/stderr.txt" || status=$?
  end=$EPOCHREALTIME
  times >"$work/cpu_after.txt"
  took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  used=$(awk -v a="$(cpu_seconds "$work/cpu_before.txt")" -v b="$(cpu_seconds "$work/cpu_after.txt")" \
    'BEGIN { printf "%.3f", b - a }')
  kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
  if [ -z "${wall[$key]:-}" ] || smaller "$took" "${wall[$key]}"; then wall[$key]=$took; fi
  if [ -z "${cpu[$key]:-}" ] || smaller "$used" "${cpu[$key]}"; then cpu[$key]=$used; fi
  if [ "$kib" -gt "${peak[$key]:-0}" ]; then peak[$key]=$kib; fi
}

# Measures every tool on one file, in rounds of one run each, so that a change
# in the machine's load falls on all of them alike: $runs rounds, five times as
# many on a small file, whose runs last a tenth of a second, where one delay in
# scheduling weighs more.
measure_file() {
  local file=$1 version=$2 path=$data_dir/$1 round rounds=$runs
  [ "$(stat -c %s "$path")" -ge 100000000 ] || rounds=$((runs * 5))
  cat "$path" >/dev/null
  for ((round = 0; round < rounds; round++)); do
    measure_once "$file:cat" /dev/null cat "$path"

    measure_once "$file:matio" "$work/matio.txt" "$bin/matio_read_all" "$path"
    largest[$file]=$(awk '{ print $4 }' "$work/matio.txt")
    [ "$status" -eq 0 ] || note[$file:matio]="matio failed: $(tail -n 1 "$work/stderr.txt")"

    if [ "$version" = 7 ]; then
      measure_once "$file:inflate" "$work/inflate.txt" "$bin/inflate_streams" zlib "$path"
      [ "$status" -eq 0 ] || note[$file:inflate]="inflate failed: $(tail -n 1 "$work/stderr.txt")"
      measure_once "$file:isal" "$work/inflate.txt" "$bin/inflate_streams" isal "$path"
      [ "$status" -eq 0 ] || note[$file:isal]="ISA-L inflate failed: $(tail -n 1 "$work/stderr.txt")"
    fi

    measure_once "$file:kestrum" "$work/kestrum.txt" "$bin/kestrum" "$path"
    if [ "$status" -ne 0 ] || [ "$(tail -n 1 "$work/kestrum.txt")" != Done ]; then
      note[$file:kestrum]="kestrum exited with $status: $(tail -n 1 "$work/kestrum.txt")"
    fi

    measure_once "$file:explain" "$work/explain.txt" "$bin/kestrum-explain" "$path"
    if [ "$status" -ne 0 ]; then
      note[$file:explain]="kestrum-explain exited with $status: $(tail -n 1 "$work/explain.txt")"
    fi
  done
}

mebibytes() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# print_rows TITLE ARRAY FORMAT: one table, a row per file and a column per
# tool, of the values in the associative array named ARRAY.
print_rows() {
  local -n values=$2
  local format=$3 file tool
  echo
  echo "$1"
  printf '%-21s %10s %16s %16s %16s %16s %16s %16s\n' file size kestrum kestrum-explain \
    "matio whole read" "zlib inflate" "ISA-L inflate" cat
  for file in "${files[@]}"; do
    printf '%-21s %7.1f MB' "$file" "$(stat -c %s "$data_dir/$file" | awk '{ print $1 / 1e6 }')"
    for tool in kestrum explain matio inflate isal cat; do
      if [ -n "${values[$file:$tool]:-}" ]; then
        # shellcheck disable=SC2059  # FORMAT is one of this script's own
        printf " %16s" "$(printf "$format" "${values[$file:$tool]}")"
      else
        printf ' %16s' n/a
      fi
    done
    echo
  done
}

print_tables() {
  local -A peak_mib
  local key
  # shellcheck disable=SC2034  # read by print_rows through a name reference
  for key in "${!peak[@]}"; do peak_mib[$key]=$(mebibytes "${peak[$key]}"); done
  echo
  echo "Best of $runs rounds ($((runs * 5)) on the small file), page cache warm"
  print_rows "Wall time" wall '%.3f s'
  print_rows "CPU time (user + system)" cpu '%.3f s'
  print_rows "Peak memory (maximum resident set size)" peak_mib '%s MiB'
  for key in "${!note[@]}"; do echo "  ${key%%:*}: ${note[$key]}"; done | sort
}

failures=0

# verdict OK TEXT CONDITION [WHY]: prints one target's line; WHY follows a FAIL.
verdict() {
  if [ "$1" = 1 ]; then
    printf '  PASS %s %s\n' "$2" "$3"
  else
    failures=$((failures + 1))
    printf '  FAIL %s %s%s\n' "$2" "$3" "${4:+ ($4)}"
  fi
}

# is_true EXPRESSION: evaluates a numeric comparison with awk; prints 1 or 0.
is_true() { awk "BEGIN { print ($1) ? 1 : 0 }"; }

check_targets() {
  echo
  echo "Targets for kestrum (CPU times in brackets: kestrum's, then the other's)"
  local i file limit kestrum_ok ok why k share
  for i in "${!files[@]}"; do
    file=${files[i]}
    k=$file:kestrum
    kestrum_ok=1
    why=
    [ -z "${note[$k]:-}" ] || { kestrum_ok=0; why="kestrum gave no full report"; }

    limit=$(awk -v b="${largest[$file]:-0}" 'BEGIN { printf "%.1f", b / 1048576 + 16 }')
    ok=$((kestrum_ok & $(is_true "${peak[$k]} / 1024 <= $limit")))
    verdict "$ok" "$file: peak memory $(mebibytes "${peak[$k]}") MiB" \
      "<= largest variable + 16 MiB = $limit MiB" "$why"

    # At most this share of matio's whole read.
    case "${contents[i]}:${versions[i]}" in
      large:6) share=0.35 ;;
      large:7) share=0.6 ;;
      *) share=0.25 ;;
    esac
    limit=$(awk -v t="${wall[$file:matio]}" -v s="$share" 'BEGIN { printf "%.3f", s * t }')
    ok=$((kestrum_ok & $(is_true "${wall[$k]} <= $limit")))
    verdict "$ok" "$file: wall time ${wall[$k]} s <= $share x matio whole read = $limit s" \
      "[${cpu[$k]} s, ${cpu[$file:matio]} s]" "$why"

    if [ "${contents[i]}:${versions[i]}" = large:7 ]; then
      limit=$(awk -v t="${wall[$file:isal]}" 'BEGIN { printf "%.3f", 1.15 * t }')
      ok=$((kestrum_ok & $(is_true "${wall[$k]} <= $limit")))
      verdict "$ok" "$file: wall time ${wall[$k]} s <= 1.15 x ISA-L inflate alone = $limit s" \
        "[${cpu[$k]} s, ${cpu[$file:isal]} s]" "$why"
    fi
  done

  echo
  echo "Targets for kestrum-explain"
  for i in "${!files[@]}"; do
    file=${files[i]}
    k=$file:explain
    kestrum_ok=1
    why=
    [ -z "${note[$k]:-}" ] || { kestrum_ok=0; why="kestrum-explain did not find the file intact"; }
    ok=$((kestrum_ok & $(is_true "${peak[$k]} / 1024 <= 32")))
    verdict "$ok" "$file: peak memory $(mebibytes "${peak[$k]}") MiB <= 32 MiB" "" "$why"
    if [ "${contents[i]}:${versions[i]}" = large:7 ]; then
      limit=$(awk -v t="${wall[$file:isal]}" 'BEGIN { printf "%.3f", 1.1 * t }')
      ok=$((kestrum_ok & $(is_true "${wall[$k]} <= $limit")))
      verdict "$ok" "$file: wall time ${wall[$k]} s <= 1.1 x ISA-L inflate alone = $limit s" \
        "[${cpu[$k]} s, ${cpu[$file:isal]} s]" "$why"
    fi
  done
  [ "$failures" -eq 0 ] || echo "  $failures target(s) missed"
}

# The commit the build's sources are at, and whether the reader's or kestrum's
# sources differ from it.
source_version() {
  local source
  source=$(awk -F= '/^CMAKE_HOME_DIRECTORY/ { print $2 }' "$build_dir/CMakeCache.txt")
  if ! git -C "$source" rev-parse --short HEAD 2>/dev/null; then
    echo "$source (not a git work tree)"
  elif ! git -C "$source" diff --quiet HEAD -- stand_in_host kestrum host; then
    echo "with uncommitted changes to stand_in_host, kestrum or host"
  fi
}

print_setting() {
  local thp_setting=/sys/kernel/mm/transparent_hugepage/enabled
  echo
  echo "Sources $(source_version | paste -sd ' '), build $build_dir" \
    "($(awk -F= '/^CMAKE_BUILD_TYPE/ { print $2 }' "$build_dir/CMakeCache.txt"))"
  echo "$(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
    "transparent huge pages: $(cat "$thp_setting" 2>/dev/null || echo unknown)"
  print_load
}

# Other work on the machine slows every measure: say how busy it is.
print_load() {
  local load
  load=$(cut -d ' ' -f 1 /proc/loadavg)
  echo "Load average (1, 5, 15 minutes): $(cut -d ' ' -f 1-3 /proc/loadavg)"
  if smaller "$(nproc)" "$load"; then
    echo "  The machine is busy (more runnable tasks than cores): wall times are stretched;" \
      "CPU times are the steadier comparison"
  fi
}

ensure_time_tool
build_programs
check_disk_space
write_missing_files
print_setting
for i in "${!files[@]}"; do
  echo "Measuring ${files[i]}..."
  measure_file "${files[i]}" "${versions[i]}"
done
print_load
print_tables
check_targets
[ "$failures" -eq 0 ]
