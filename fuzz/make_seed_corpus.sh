#!/usr/bin/env bash
# Writes the fuzzers' seed corpora: MAT-files made by matio (versions 4, 6, 7
# and, rewritten by matio, 7.3), by GNU Octave (4, 6, 7) and by h5py (7.3,
# well-formed and damaged), and literals for the literal parser.
#
#   fuzz/make_seed_corpus.sh OUTPUT_DIRECTORY [MAX_BYTES]
#
# Makes OUTPUT_DIRECTORY/mat and OUTPUT_DIRECTORY/literal. MAT-files larger
# than MAX_BYTES (default 65536, the fuzzers' -max_len) are left out.
# Needs: libmatio-dev, octave, python3-h5py (Debian packages); a writer that
# is missing is skipped with a note.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 OUTPUT_DIRECTORY [MAX_BYTES]" >&2; exit 2; }
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "$1")
max_bytes=${2:-65536}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/mat" "$out/literal" "$work/files"

if pkg-config --exists matio; then
  c++ -std=c++17 -O1 -I"$repo/tests/fixtures" "$repo/tests/fixtures/write_matio_fixtures.cc" \
    -o "$work/write_matio_fixtures" $(pkg-config --cflags --libs matio)
  cc -O1 "$repo/bench/mat_v73/mat73_from_mat.c" -o "$work/mat73_from_mat" \
    $(pkg-config --cflags --libs matio)
  "$work/write_matio_fixtures" "$work/files"
  for file in "$work"/files/*.mat; do
    case "$file" in *v6*|*_6_*|*6.mat)
      "$work/mat73_from_mat" "$file" "${file%.mat}-as-v73.mat" none >/dev/null || true
      "$work/mat73_from_mat" "$file" "${file%.mat}-as-v73z.mat" zlib >/dev/null || true ;;
    esac
  done
else
  echo "matio not found: no matio seeds" >&2
fi
if command -v octave-cli >/dev/null; then
  octave-cli --no-gui --norc --quiet "$repo/tests/fixtures/write_octave_fixtures.m" "$work/files"
else
  echo "octave-cli not found: no Octave seeds" >&2
fi
if /usr/bin/python3 -c 'import h5py' 2>/dev/null; then
  /usr/bin/python3 "$repo/tests/mat_v73/write_h5py_fixtures.py" "$work/files/h5py"
else
  echo "h5py not found: no h5py seeds" >&2
fi
cp "$repo/samples/sample.mat" "$work/files/"

# Content-named files, so that reruns add nothing twice.
find "$work/files" -type f -size -"$((max_bytes + 1))"c -print0 |
  while IFS= read -r -d '' file; do
    cp "$file" "$out/mat/$(sha1sum "$file" | cut -c1-40)"
  done

# One literal per file: every form the parser knows, and some it refuses.
literals=(
  "5" "-2.5e3" "Inf" "-Inf" "NaN" "1+2i" "3j" "[1 2 3]" "[1,2;3,4]" "[1;2;3]" "[]"
  "[true false]" "'text'" "''" "'it''s'" "true" "false" "true(2,3)" "false(1,0)"
  "zeros(1,0)" "ones(2,3,4)" "zeros(2,2,'int16')" "int8(-130)" "uint64(18446744073709551615)"
  "single(1.5)" "double(int32(7))" "logical([1 0 2])" "char([72 105])" "complex(1,2)"
  "complex([1 2],[3 4])" "sparse([1 0;0 2])" "reshape(1:8,[2 2 2])" "reshape([1 2 3 4],2,2)"
  "{1, 'a'; [1 2], {}}" "cell(2,3)" "struct('name', 5, 'v', {1, 2})" "struct()"
  "[1 2" "{1," "zeros(-1)" "ones(1e10,1e10)" "int8(1.5" "'unterminated" "[1;2 3]"
  "1:5" "0:0.5:2" "5:-1:1" "1:0" "-pi:eps:pi" "NaN(2,3)" "Inf(1,2,'single')" "['ab';'cd']"
  "['a' 'bc';'def']" "zeros(1,-1)" "int64(-9223372036854775807)" "[pi -eps]"
)
for i in "${!literals[@]}"; do
  printf '%s' "${literals[$i]}" >"$out/literal/seed-$i"
done
if [ -d "$repo/tests/plugin_cases" ]; then
  # The inputs of the plug-in call cases: "PLUGIN NARGOUT | INPUT | ... => OUTCOME".
  grep -hv '^#' "$repo"/tests/plugin_cases/*.txt | sed 's/=>.*//' | tr '|' '\n' | tail -n +1 |
    sed 's/^ *//; s/ *$//' | grep -v '^$' | sort -u | awk -v dir="$out/literal" \
    '{ printf "%s", $0 > (dir "/case-" NR); close(dir "/case-" NR) }'
fi
echo "$(ls "$out/mat" | wc -l) MAT-files, $(ls "$out/literal" | wc -l) literals in $out"
