#!/usr/bin/env bash
# Builds the Debian package from the build tree with CPack and checks what it
# holds and what it declares: every installed file under /usr, the
# dependencies dpkg-shlibdeps found for the libraries the programs and the
# picture module link, and the program's version.
# Usage: package_test.sh BUILD_DIR VERSION WORK_DIR
set -euo pipefail
build=$1 version=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" > "$work/cpack.log" \
  || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/pictaron_*.deb)
echo "built $deb"

[ "$(dpkg-deb -f "$deb" Package)" = pictaron ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), want $version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"

dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' > "$work/files.txt"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
for file in /usr/bin/pictaron /usr/bin/pictaron-cli \
            "/usr/lib/$multiarch/pictaron/libpictaron_magick.so" \
            /usr/share/applications/com.orvanti.Pictaron.desktop \
            /usr/share/metainfo/com.orvanti.Pictaron.metainfo.xml \
            /usr/share/icons/hicolor/16x16/apps/pictaron.png \
            /usr/share/icons/hicolor/48x48/apps/pictaron.png \
            /usr/share/icons/hicolor/256x256/apps/pictaron.png \
            /usr/share/icons/hicolor/scalable/apps/pictaron.svg \
            /usr/share/man/man1/pictaron.1.gz /usr/share/man/man1/pictaron-cli.1.gz; do
  grep -qxF "$file" "$work/files.txt" || fail "$file is not in the package"
done
# Everything lives under /usr; nothing of the build (static libraries,
# headers, tests) comes along.
if grep -vE '^/$|^/usr(/|$)' "$work/files.txt"; then fail "files outside /usr"; fi
if grep -E '\.(a|h|cpp)$|_test|tests?/' "$work/files.txt"; then fail "build files in the package"; fi

# The dependencies: one package for each library family the programs link,
# with the versions dpkg-shlibdeps derived from the symbols used.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 \
               libgraphicsmagick++-q16-12 libjpeg62-turbo libc-ares2 libcurl4; do
  echo "$depends" | tr ',' '\n' | awk '{print $1}' | grep -qxF "$package" || fail "Depends lacks $package"
done
echo "$depends" | grep -qE 'libqt6core6 \(>= 6' || fail "Depends has no minimum Qt version"
if echo "$depends" | grep -qE -- '-dev\b'; then fail "Depends names a development package"; fi
echo "package $(basename "$deb"): files and dependencies are right"
