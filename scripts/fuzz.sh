#!/bin/sh
# scripts/fuzz.sh [SECONDS] [TARGET...]: builds the fuzz targets with clang and libFuzzer
# (build/fuzz, -DZEL_FUZZ=ON) and runs each named target (all by default) for SECONDS
# (default 60) in one process. Corpora grow under build/fuzz/corpus/TARGET from the seeds;
# crashing inputs land in build/fuzz/crashes/; each run's log is build/fuzz/TARGET.log.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
[ $# -eq 0 ] && set -- qel_font_fuzz frameset_frame_fuzz textures_params_fuzz effects_params_fuzz spin_text_fuzz
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_FUZZ=ON >/dev/null
cmake --build build/fuzz -j2 --target fuzz_targets qel_font_fuzz_seeds
mkdir -p build/fuzz/seeds
build/fuzz/fuzz/qel_font_fuzz_seeds build/fuzz/seeds/qel_font_fuzz
mkdir -p build/fuzz/crashes
for t in "$@"; do
  case "$t" in
    qel_font_fuzz)        seeds=build/fuzz/seeds/qel_font_fuzz; max_len=4096 ;;
    frameset_frame_fuzz)  seeds=animation/frameset/testdata/fuzz; max_len=8192 ;;
    textures_params_fuzz) seeds=textures/testdata/fuzz; max_len=256 ;;
    effects_params_fuzz)  seeds=effects/testdata/fuzz; max_len=256 ;;
    spin_text_fuzz)       seeds=controls/spin/testdata/fuzz; max_len=64 ;;
    *) echo "unknown fuzz target: $t" >&2; exit 2 ;;
  esac
  mkdir -p "build/fuzz/corpus/$t"
  echo "== $t ($seconds s)"
  # One process on purpose (-jobs/-workers 1): the machine's cores are shared.
  status=0
  build/fuzz/fuzz/$t -max_total_time="$seconds" -max_len=$max_len -timeout=10 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/crashes/$t-" "build/fuzz/corpus/$t" "$seeds" >"build/fuzz/$t.log" 2>&1 \
    || status=$?
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|ERROR|SUMMARY' \
    "build/fuzz/$t.log" || true
  echo "corpus: $(ls "build/fuzz/corpus/$t" | wc -l) files; exit status $status"
done
