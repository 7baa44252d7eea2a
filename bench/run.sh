#!/usr/bin/env bash
# Times Pictaron against ImageMagick, GraphicsMagick, libvips, Pillow, cjpeg,
# cwebp, avifenc and optipng, side by side in one run, and prints the medians,
# the ratios, the result sizes and peak memory.
#
# Usage: bench/run.sh [OPTIONS]
#   --quick             the medium photo only, one timed round (while developing)
#   --runs N            timed rounds per case after the warm-up (default 5)
#   --budget SECONDS    timed seconds per tool and case; slower tools run fewer times (default 60)
#   --timeout SECONDS   a run taking longer is stopped and the tool left out of the case (default 120)
#   --cases REGEX       only the cases whose name matches (jpeg-q80, gif-flat, resize-50,
#                       webp-q80, avif-q60, png-lossless, png-indexed, thumb-variant,
#                       thumb-resize, variants, jpeg-100k, folder-jobs1, ...); png-indexed is
#                       judged against gif-flat, so select both: --cases 'webp|avif|png|gif-flat'
#   --pictures NAMES    comma-separated: large-photo,medium-photo (default both)
#   --tools NAMES       comma-separated subset of pictaron-1t,pictaron,cjpeg,cwebp,avifenc,optipng,
#                       gm,convert,vips,vipsthumbnail,pillow
#   --check             run Pictaron once per case and compare its results with the
#                       checksums of the last full run; exit status 1 when any differ
#   --hyperfine         time each case with hyperfine instead (one tool after another)
#   --no-micro          skip the kernel micro-benchmarks
#   --commit REV        build and time that commit (exported under build-bench/) instead of
#                       the working tree, e.g. to record checksums before a change and --check after
#
# It installs the packages of bench/packages.txt when missing, builds Pictaron in
# Release in build-bench/ (PICTARON_BENCH_BUILD overrides), prepares the test
# pictures as PPM once in build-bench/bench-run/pictures/ (and as PNG stored
# without compression, for avifenc, which reads no PPM), and writes the results
# to build-bench/bench-run/ (results.md, results-<time>.json, checksums.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PICTARON_BENCH_BUILD:-$root/build-bench}
testdata=${PICTARON_TESTDATA:-$root/../shared/testdata}
work=$build/bench-run
pictures=$work/pictures

harness_args=()
micro=1
micro_filter=.
commit=
while [ $# -gt 0 ]; do
  case $1 in
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; exit 0 ;;
    --quick) harness_args+=(--pictures medium-photo --runs 1); micro_filter=photo:0; shift ;;
    --no-micro) micro=0; shift ;;
    --check) micro=0; harness_args+=(--check); shift ;;
    --hyperfine) micro=0; harness_args+=(--hyperfine); shift ;;
    --commit) commit=$2; shift 2 ;;
    --runs|--budget|--timeout|--cases|--pictures|--tools) harness_args+=("$1" "$2"); shift 2 ;;
    *) echo "bench/run.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done

"$root/scripts/install-deps.sh"
"$root/scripts/install-deps.sh" "$root/bench/packages.txt"

source=$root
binaries=$build
if [ -n "$commit" ]; then
  # One checkout for every commit, with its own index: moving it to another
  # commit rewrites only the files that differ, so the build stays incremental.
  sha=$(git -C "$root" rev-parse "$commit^{commit}")
  source=$build/commit/source
  binaries=$build/commit/build
  mkdir -p "$source"
  export GIT_INDEX_FILE=$build/commit/index
  if [ -f "$GIT_INDEX_FILE" ]; then
    git -C "$root" --work-tree="$source" update-index -q --refresh || true
    git -C "$root" --work-tree="$source" read-tree --reset -u "$sha"
  else
    git -C "$root" --work-tree="$source" read-tree "$sha"
    git -C "$root" --work-tree="$source" checkout-index -a -f -u
  fi
  unset GIT_INDEX_FILE
  echo "Timing commit $(git -C "$root" log -1 --format='%h %s' "$sha")"
fi
with_bench=ON
[ -f "$source/bench/CMakeLists.txt" ] || { with_bench=OFF; micro=0; }
cmake -S "$source" -B "$binaries" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPICTARON_BENCH=$with_bench \
  -DBUILD_TESTING=OFF >/dev/null
targets=(pictaron-cli)
[ $micro -eq 1 ] && targets+=(pictaron-microbench)
cmake --build "$binaries" --parallel "$(nproc)" --target "${targets[@]}"

# The pictures as PPM, made once: every tool then starts from the same raw pixels.
mkdir -p "$pictures"
for name in large-photo medium-photo; do
  photo=$testdata/$name.jpg
  ppm=$pictures/$name.ppm
  [ -f "$photo" ] || { echo "bench/run.sh: $photo is missing" >&2; exit 1; }
  # The JPEG itself, for the cases that start from the camera's file.
  [ "$pictures/$name.jpg" -nt "$photo" ] || cp "$photo" "$pictures/$name.jpg"
  if [ ! -s "$ppm" ] || [ "$photo" -nt "$ppm" ]; then
    djpeg -ppm -outfile "$ppm.part" "$photo"
    mv "$ppm.part" "$ppm"
  fi
  png=$pictures/$name.png
  if [ ! -s "$png" ] || [ "$ppm" -nt "$png" ]; then
    /usr/bin/python3 -c 'import sys; from PIL import Image; Image.open(sys.argv[1]).save(sys.argv[2], "PNG", compress_level=0)' \
      "$ppm" "$png.part"
    mv "$png.part" "$png"
  fi
  # Its four quarters, a folder of pictures for the folder runs.
  parts=$pictures/$name-parts
  if [ ! -s "$parts/4.ppm" ] || [ "$ppm" -nt "$parts/4.ppm" ]; then
    mkdir -p "$parts"
    /usr/bin/python3 -c '
import sys
from PIL import Image
im = Image.open(sys.argv[1])
w, h = im.width // 2, im.height // 2
for i, (x, y) in enumerate([(0, 0), (w, 0), (0, h), (w, h)], 1):
    im.crop((x, y, x + w, y + h)).save(f"{sys.argv[2]}/{i}.ppm")
' "$ppm" "$parts"
  fi
done

status=0
/usr/bin/python3 -B "$root/bench/harness.py" --cli "$binaries/pictaron-cli" --pictures-dir "$pictures" \
  --work "$work" "${harness_args[@]}" || status=$?

if [ $micro -eq 1 ]; then
  echo
  echo "Kernel micro-benchmarks (one thread, medians of 3 repetitions):"
  PICTARON_THREADS=1 "$binaries/bench/pictaron-microbench" --benchmark_repetitions=3 --benchmark_filter="$micro_filter" \
    --benchmark_report_aggregates_only=true --benchmark_out="$work/micro.json" --benchmark_out_format=json \
    | tee "$work/micro.txt" | grep -E "^(Benchmark|---|.*_median)"
fi
exit $status
