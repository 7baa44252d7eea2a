#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, makes their seed corpus from the test pictures
# and runs each target for a fixed time. Any crash, sanitizer report, leak,
# timeout or memory blow-up fails the script; the input that caused it is
# left in BUILD_DIR/findings/ (replay it: BUILD_DIR/fuzz/<target> <file>).
# Inputs that reached new code are kept in BUILD_DIR/corpus/ for the next run.
# Usage: scripts/fuzz.sh [BUILD_DIR [SECONDS [TARGET...]]]
#        (default: build-fuzz, 60 seconds, every target)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build-fuzz}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(pictureloader palette_pal palette_act palette_gif gifwriter)
testdata=${PICTARON_TESTDATA:-$root/../shared/testdata}

"$root/scripts/install-deps.sh"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPICTARON_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build "$build_dir" --parallel "$(nproc)" --target pictaron_fuzzers

rm -rf "$build_dir/seeds"
/usr/bin/python3 "$root/fuzz/make_corpus.py" "$testdata" "$build_dir/seeds"

supp=$root/scripts/sanitizers
export ASAN_OPTIONS=detect_leaks=1:allow_user_segv_handler=0:handle_abort=1
export LSAN_OPTIONS=suppressions=$supp/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14
# The imaging library on one thread: two cores are shared by the fuzzer.
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1

mkdir -p "$build_dir/findings" "$build_dir/logs"
failed=()
for target in "${targets[@]}"; do
  corpus=$build_dir/corpus/$target
  log=$build_dir/logs/$target.log
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  status=0
  "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$build_dir/findings/$target-" \
    "$corpus" "$build_dir/seeds/$target" > "$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "   ${runs:-?} runs, ${speed:-?} per second, exit status $status; corpus $(ls "$corpus" | wc -l) inputs"
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    grep -E -A40 '^==[0-9]+==|FUZZ FINDING|runtime error|ERROR: libFuzzer|^SUMMARY' "$log" | head -80 >&2 || tail -40 "$log" >&2
    echo "   whole log: $log" >&2
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]} (inputs in $build_dir/findings/)" >&2
  exit 1
fi
echo "fuzzing: no findings"
