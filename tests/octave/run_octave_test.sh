#!/usr/bin/env bash
# Runs one Octave test script in octave-cli, with the script's directory on
# Octave's path, and exits with Octave's status.
#   run_octave_test.sh [--valgrind] SCRIPT.m
# --valgrind runs Octave under valgrind's memcheck: any invalid read or
# write, or use of an uninitialised value, fails the run (status 99).
# OCTAVE_PRELOAD, when set, is preloaded into Octave (the sanitizer runtime
# that plug-ins built with sanitizers need). Octave's line "error: ignoring
# const execution_exception& ..." at exit, after a caught error, is noise
# and is left out.
set -uo pipefail

launcher=()
if [ "${1:-}" = --valgrind ]; then
  launcher=(valgrind --quiet --error-exitcode=99 --leak-check=no --track-origins=yes)
  shift
fi
if [ -n "${OCTAVE_PRELOAD:-}" ]; then
  launcher=(env "LD_PRELOAD=$OCTAVE_PRELOAD" "${launcher[@]}")
fi
script=$1

"${launcher[@]}" octave-cli --norc --no-history --quiet --path "$(dirname "$script")" "$script" 2>&1 |
  { grep -v '^error: ignoring const execution_exception& ' || true; }
exit "${PIPESTATUS[0]}"
