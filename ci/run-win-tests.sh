#!/bin/sh
# ci/run-win-tests.sh BUILD_DIR PREFIX_DIR [ctest args]; run inside xvfb-run.
# A persistent wineserver and Wine's background processes are started before ctest, or every
# test would wait for them to exit; they are stopped afterwards inside the same display.
[ $# -ge 2 ] || { echo "usage: $0 BUILD_DIR PREFIX_DIR [ctest args]" >&2; exit 2; }
BUILD="$1"; PREFIX="$2"; shift 2
# Wine refuses a relative prefix; an empty one must never fall back to ~/.wine.
case "$PREFIX" in
  /*) ;;
  *) echo "run-win-tests.sh: the prefix must be an absolute path, not '$PREFIX'" >&2; exit 2 ;;
esac
export WINEPREFIX="$PREFIX" WINEARCH=win32 WINEDEBUG=-all
sh "$(dirname "$0")/wine-prefix.sh" "$PREFIX" || exit 1
wineserver -p
wineboot >/dev/null 2>&1 </dev/null
ctest --test-dir "$BUILD" "$@"
status=$?
wineserver -k
exit $status
