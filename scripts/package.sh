#!/usr/bin/env bash
# Builds the Debian package pictaron_<version>_<arch>.deb: installs what is
# missing, builds Pictaron in Release for /usr (without the tests) and runs
# CPack, whose dpkg-shlibdeps declares the libraries the programs link.
# Usage: scripts/package.sh [BUILD_DIR]   (default: build-deb; the package lands there)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build-deb}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF
cmake --build "$build_dir" --parallel "$(nproc)"
cd "$build_dir"
cpack -G DEB
ls "$build_dir"/pictaron_*.deb
