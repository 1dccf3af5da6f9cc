#!/bin/sh
# Runs every test: native, native under ASan+UBSan, and the Win32 build under Wine on a
# virtual display. Installs what it needs first. Exits non-zero when a build fails, a test
# fails, or a test run does not finish; the last line sums up all three runs.
cd "$(dirname "$0")/.." || exit 1
. ci/ctest-result.sh
sh scripts/install-deps.sh || exit 1
sh scripts/build.sh native asan win32 || exit 1
status=0
summary=""
total_pass=0; total_fail=0; total_skip=0; unfinished=""
# run NAME COMMAND...: one ctest run, its output shown and kept in build/NAME-tests.log.
run() {
  name=$1; shift
  { "$@"; echo $? >"build/$name-tests.rc"; } 2>&1 | tee "build/$name-tests.log"
  judge_run "$name" "build/$name-tests.log" "$(cat "build/$name-tests.rc" 2>/dev/null || echo lost)"
  [ "$run_ok" = 0 ] || status=1
  grep -q 'tests failed out of' "build/$name-tests.log" || unfinished="$unfinished $name"
  summary="$summary
  $run_line"
  total_pass=$((total_pass + run_passed)); total_fail=$((total_fail + run_failed))
  total_skip=$((total_skip + run_skipped))
}
run native ctest --test-dir build/native -j2 --output-on-failure
run asan env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j2 --output-on-failure
run win32 xvfb-run -a -s "-screen 0 1024x768x24" sh ci/run-win-tests.sh build/win32 \
  "$PWD/build/win32/wineprefix" -j2 --output-on-failure
echo "test summary:$summary"
[ -z "$unfinished" ] || echo "did not finish:$unfinished"
[ "$status" = 0 ] || echo "FAILED"
# The closing line, alone on its line: "total: N passed, N failed, N skipped".
echo "total: $total_pass passed, $total_fail failed, $total_skip skipped"
exit $status
