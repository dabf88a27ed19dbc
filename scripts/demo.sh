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
