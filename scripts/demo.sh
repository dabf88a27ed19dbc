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
