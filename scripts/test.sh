#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in the default
# build and in the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh test
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
