#!/bin/sh
# Runs every test: native, native under ASan+UBSan, and the Win32 build under Wine on a
# virtual display. Installs what it needs first.
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh || exit 1
sh scripts/build.sh native asan win32 || exit 1
status=0
summary=""
count() {  # name logfile
  passed=$(grep -Eo '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$2" | tail -1)
  summary="$summary
  $1: $passed"
}
ctest --test-dir build/native -j2 --output-on-failure 2>&1 | tee build/native-tests.log
[ "$(tail -c 2000 build/native-tests.log | grep -c '100% tests passed')" = 1 ] || status=1
count native build/native-tests.log
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j2 --output-on-failure 2>&1 | tee build/asan-tests.log
[ "$(tail -c 2000 build/asan-tests.log | grep -c '100% tests passed')" = 1 ] || status=1
count asan build/asan-tests.log
xvfb-run -a -s "-screen 0 1024x768x24" sh ci/run-win-tests.sh build/win32 "$PWD/build/win32/wineprefix" \
  -j2 --output-on-failure 2>&1 | tee build/win32-tests.log
[ "$(tail -c 2000 build/win32-tests.log | grep -c '100% tests passed')" = 1 ] || status=1
count win32 build/win32-tests.log
echo "test summary:$summary"
total_pass=0; total_fail=0
for log in build/native-tests.log build/asan-tests.log build/win32-tests.log; do
  line=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  f=$(echo "$line" | awk '{print $1}'); n=$(echo "$line" | awk '{print $6}')
  [ -n "$n" ] || { status=1; continue; }
  total_fail=$((total_fail + f)); total_pass=$((total_pass + n - f))
done
echo "$total_pass passed, $total_fail failed"
exit $status
