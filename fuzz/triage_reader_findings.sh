#!/usr/bin/env bash
# Sorts the findings that version 7.3 reader processes left (crash-*, oom-*
# files written from inside the forked reader, where libFuzzer's hooks still
# run) into those inside libhdf5, which the reader process contains, and
# those in our own reader code, which are bugs to mend.
#
#   fuzz/triage_reader_findings.sh FINDINGS_DIR [BUILD_DIR]
#
# Each file is read by a kestrum built with the sanitizer preset and
# MAT_V73_IN_PROCESS (libhdf5 in kestrum's own process), in BUILD_DIR
# (default build/sanitize-in-process, configured and built if missing). The
# first stack frame of each sanitizer report outside the sanitizer and libc
# says where it lies. Prints a count per place, and each file whose report
# starts in our code; exits 1 if there is one.
set -euo pipefail
[ $# -ge 1 ] && [ -d "$1" ] || { echo "usage: $0 FINDINGS_DIR [BUILD_DIR]" >&2; exit 2; }
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
findings=$1
build_dir=${2:-$repo/build/sanitize-in-process}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake --preset sanitize -S "$repo" -B "$build_dir" -DMAT_V73_IN_PROCESS=ON >/dev/null
fi
cmake --build "$build_dir" --target kestrum >/dev/null

ours=()
declare -A places
for file in "$findings"/*; do
  [ -f "$file" ] || continue
  report=$(ASAN_OPTIONS=detect_leaks=0 timeout 20 "$build_dir/bin/kestrum" "$file" 2>&1 >/dev/null || true)
  if ! grep -q "ERROR: AddressSanitizer\|runtime error" <<<"$report"; then
    place="no report"
  else
    frame=$(grep -E '^ +#[0-9]+ ' <<<"$report" |
      grep -vE 'sanitizer|libasan|libubsan|interceptor|memmove|memcpy|memset|libc\.so|operator new|std::' |
      head -n 1 || true)
    case "$frame" in
      *libhdf5*) place=libhdf5 ;;
      *libz.so*) place=zlib ;;
      *) place=ours; ours+=("$file") ;;
    esac
  fi
  places[$place]=$((${places[$place]:-0} + 1))
done
for place in "${!places[@]}"; do printf '%6d %s\n' "${places[$place]}" "$place"; done | sort -rn
for file in "${ours[@]}"; do echo "in our code: $file"; done
[ ${#ours[@]} -eq 0 ]
