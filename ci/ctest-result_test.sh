#!/bin/sh
# Checks judge_run (ci/ctest-result.sh) on logs shaped like ctest's own output.
. "$(dirname "$0")/ctest-result.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
bad=0
expect() {  # name log rc  ok passed failed skipped
  judge_run "$1" "$dir/$2" "$3"
  got="$run_ok $run_passed $run_failed $run_skipped"
  [ "$got" = "$4 $5 $6 $7" ] || { echo "FAIL $1: got '$got' ($run_line), expected '$4 $5 $6 $7'"; bad=1; }
}
printf '      Start 1: A.B\n1/2 Test #1: A.B ....   Passed    0.01 sec\n\n100%% tests passed, 0 tests failed out of 2\n\nTotal Test time (real) =   0.03 sec\n' >"$dir/pass"
printf '67%% tests passed, 1 tests failed out of 3\n\nTotal Test time (real) =   0.04 sec\n\nThe following tests did not run:\n\t  2 - A.S (Skipped)\n\t  4 - A.X (Disabled)\n\nThe following tests FAILED:\n\t  3 - A.F (Failed)\nErrors while running CTest\n' >"$dir/fail"
printf '75%% tests passed, 0 tests failed out of 4\n\nThe following tests did not run:\n\t 12 - A.S (Skipped)\n' >"$dir/skip"
printf 'CMake Error at GoogleTestAddTests.cmake:112 (message):\n  Error running test executable.\nErrors while running CTest\n' >"$dir/abort"
printf 'Test project /x\nNo tests were found!!!\n' >"$dir/none"
expect all-pass pass 0 0 2 0 0
expect a-failure fail 8 1 1 1 1
expect skipped-apart skip 0 0 3 0 1
expect exit-status-counts pass 8 1 2 0 0
expect discovery-abort abort 8 1 0 0 0
expect no-tests none 0 1 0 0 0
expect no-log missing 1 1 0 0 0
exit $bad
