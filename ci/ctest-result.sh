# Sourced by scripts/test.sh: judges one ctest run from its log and exit status.
#
#   judge_run NAME LOG RC
#
# Sets run_ok (0 good, 1 bad), run_passed, run_failed, run_skipped and run_line (one line for
# the summary). A run is good only when ctest exited 0, printed its closing
# "N% tests passed, F tests failed out of T" line, and F is 0. A run without that line (a
# build or discovery error, a crash of ctest, an interrupted display) did not finish and is
# bad. Skipped tests are counted apart: ctest counts them among the passed.
judge_run() {
  run_ok=1 run_passed=0 run_failed=0 run_skipped=0
  _line=$(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$2" 2>/dev/null | tail -1)
  if [ -z "$_line" ]; then
    run_line="$1: did not finish (ctest exit status $3, no test summary)"
    return
  fi
  run_failed=$(echo "$_line" | awk '{print $1}')
  _total=$(echo "$_line" | awk '{print $6}')
  run_skipped=$(grep -c '^[[:space:]]*[0-9]* - .* (Skipped)$' "$2")
  run_passed=$((_total - run_failed - run_skipped))
  run_line="$1: $run_passed passed, $run_failed failed, $run_skipped skipped out of $_total"
  if [ "$3" != 0 ]; then
    run_line="$run_line (ctest exit status $3)"
  elif [ "$run_failed" = 0 ]; then
    run_ok=0
  fi
}
