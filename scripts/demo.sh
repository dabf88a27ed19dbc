#!/usr/bin/env bash
# Installs what is missing, builds, and shows the deliverables at work on
# the bundled sample.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh build
cmake --preset default >/dev/null
cmake --build --preset default

bin=build/default/bin
echo
echo "\$ kestrum samples/sample.mat"
"$bin/kestrum" samples/sample.mat

echo
echo "\$ call_plugin vandrel.mexa64 -n 0 3 4.5"
"$bin/call_plugin" "$bin/vandrel.mexa64" -n 0 3 4.5
echo "\$ call_plugin quenvor.mexa64 2 '[1 2 3]'"
"$bin/call_plugin" "$bin/quenvor.mexa64" 2 '[1 2 3]'

# The same plug-ins in GNU Octave, when it is installed (the build makes
# its MEX files when liboctave-dev is there).
if command -v octave-cli >/dev/null && [ -f build/default/octave/vandrel.mex ]; then
  calls="addpath('build/default/octave'); vandrel(3, 4.5); y = quenvor(2, [1 2 3])"
  echo
  echo "\$ octave-cli --eval \"$calls\""
  octave-cli --norc --quiet --eval "$calls"
fi
