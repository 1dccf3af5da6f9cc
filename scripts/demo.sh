#!/bin/sh
# The suite's main job on data it makes itself: builds the native host `zel` and the Win32
# deliverables, then runs every scripts/demo.d/*.sh step. Each step writes what it made
# (animations, images, meshes, screenshots) under demo/ and prints what it wrote.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh native win32
export ZEL_ROOT="$PWD"
export ZEL="$PWD/build/native/bin/zel"
export WIN32_BIN="$PWD/build/win32/bin"
export WINEPREFIX="$PWD/build/win32/wineprefix" WINEARCH=win32 WINEDEBUG=-all
export OUT="$PWD/demo"
mkdir -p "$OUT"
sh ci/wine-prefix.sh "$WINEPREFIX"
for step in scripts/demo.d/*.sh; do
  [ -f "$step" ] || continue
  echo "== $(basename "$step")"
  sh "$step"
done
echo "demo output in $OUT:"
ls -l "$OUT"
