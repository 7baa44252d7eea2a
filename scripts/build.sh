#!/usr/bin/env bash
# Installs what is missing, then configures and builds Pictaron.
# Usage: scripts/build.sh [BUILD_DIR [BUILD_TYPE]]   (default: build RelWithDebInfo)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build}
build_type=${2:-RelWithDebInfo}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type"
cmake --build "$build_dir" --parallel "$(nproc)"
