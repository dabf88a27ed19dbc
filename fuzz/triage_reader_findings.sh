#!/usr/bin/env bash
# Sorts the findings of the version 7.3 plan fuzzer (v73_plan_fuzzer, libhdf5
# in process) into those inside libhdf5, which kestrum's reader process
# contains, and those in our own code, which are bugs to mend.
#
#   fuzz/triage_reader_findings.sh FINDINGS_DIR [BUILD_DIR]
#
# Each file is read by kestrum of the sanitizer build in BUILD_DIR (default
# build/sanitize, configured and built if missing) with libhdf5 in its own
# process (MAT_V73_READER=in-process). The first stack frame of each
# sanitizer report outside the sanitizer and libc says where it lies.
# Prints a count per place, and each file whose report starts in our code;
# exits 1 if there is one.
set -euo pipefail
[ $# -ge 1 ] && [ -d "$1" ] || { echo "usage: $0 FINDINGS_DIR [BUILD_DIR]" >&2; exit 2; }
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
findings=$1
build_dir=${2:-$repo/build/sanitize}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake --preset sanitize -S "$repo" -B "$build_dir" >/dev/null
fi
cmake --build "$build_dir" --target kestrum >/dev/null

ours=()
declare -A places
for file in "$findings"/*; do
  [ -f "$file" ] || continue
  report=$(MAT_V73_READER=in-process ASAN_OPTIONS=detect_leaks=0 timeout 20 \
    "$build_dir/bin/kestrum" "$file" 2>&1 >/dev/null || true)
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
