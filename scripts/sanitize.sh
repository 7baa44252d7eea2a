#!/usr/bin/env bash
# Builds Pictaron with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test once under them. Any finding fails a test and so this script:
# every sanitizer halts on its first report, leaks included.
# Usage: scripts/sanitize.sh [BUILD_DIR [ctest arguments...]]   (default: build-asan)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build-asan}
shift || true

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPICTARON_SANITIZE=ON
cmake --build "$build_dir" --parallel "$(nproc)"

# A leak inside a library we use (fontconfig, Qt's platform plugins, ...)
# would be suppressed in lsan.supp by that library's frames, never by ours;
# none needs it today. The programs the tests start inherit these settings.
supp=$root/scripts/sanitizers
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export LSAN_OPTIONS=suppressions=$supp/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900 "$@"
