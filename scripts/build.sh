#!/bin/sh
# scripts/build.sh [native|asan|win32]...: configures and builds the named builds
# (all three by default) under build/.
set -e
cd "$(dirname "$0")/.."
[ $# -eq 0 ] && set -- native asan win32
for b in "$@"; do
  case "$b" in
    native) cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
    asan)   cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON >/dev/null ;;
    win32)  cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake >/dev/null ;;
    *) echo "unknown build: $b" >&2; exit 2 ;;
  esac
  cmake --build "build/$b" -j2
done
