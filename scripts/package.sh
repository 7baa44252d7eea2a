#!/usr/bin/env bash
# Builds the Debian packages pictaron-cli_<version>_<arch>.deb (the command
# line) and pictaron_<version>_<arch>.deb (the window, on top of it): installs
# what is missing, builds Pictaron in Release for /usr (without the tests) and
# runs CPack, whose dpkg-shlibdeps declares the libraries each package links.
# Usage: scripts/package.sh [BUILD_DIR]   (default: build-deb; the packages land there)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build-deb}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF
cmake --build "$build_dir" --parallel "$(nproc)"
cd "$build_dir"
cpack -G DEB
ls "$build_dir"/pictaron-cli_*.deb "$build_dir"/pictaron_*.deb
