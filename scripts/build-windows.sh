#!/usr/bin/env bash
# Builds the Windows i386 deliverables (the windows-i686 preset: libmx.dll,
# libmex.dll, libmat.dll, kestrum.exe, the .mexw32 plug-ins and
# call_plugin.exe) with MinGW-w64.
#   scripts/build-windows.sh [BUILD_DIR]   default: build/windows-i686
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build/windows-i686}
cmake --preset windows-i686 -B "$build_dir" >/dev/null
cmake --build "$build_dir"
