#!/usr/bin/env bash
# Starts or stops the wineserver of the Windows tests' Wine prefix.
#   wine_server.sh start PREFIX   makes the prefix if needed and keeps its
#                                 server up (it ends itself 5 minutes after
#                                 the last Windows program); exits 77, with
#                                 the reason, where Wine cannot start
#   wine_server.sh stop PREFIX    stops that server
set -uo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all

if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
  echo "Wine is not installed: the tests that run Windows programs are skipped"
  [ "$action" = start ] && exit 77 || exit 0
fi

case "$action" in
  start)
    mkdir -p "$WINEPREFIX"
    wineserver -p300 </dev/null >/dev/null 2>&1
    if ! timeout 240 wine cmd /c exit </dev/null >/dev/null 2>&1; then
      echo "Wine cannot start here ('wine cmd /c exit' failed in $WINEPREFIX):" \
           "the tests that run Windows programs are skipped"
      exit 77
    fi
    echo "Wine is up in $WINEPREFIX"
    ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 start|stop PREFIX" >&2
    exit 2
    ;;
esac
