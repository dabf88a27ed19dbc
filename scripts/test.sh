#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in the default
# build and in the sanitizer build. The Windows i386 build is made first: the
# default build's tests examine it and run its programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh test
echo "== windows-i686 build"
scripts/build-windows.sh
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
  if [ "$preset" = sanitize ]; then
    echo "== fuzz smoke run"
    fuzz/smoke.sh
  fi
done
