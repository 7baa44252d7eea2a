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
# The module's lib folder is lib/<multiarch> for a tree configured for /usr
# (scripts/package.sh) and lib otherwise; the programs find it either way.
grep -qE '^/usr/lib/([a-z0-9_]+-linux-gnu[a-z]*/)?pictaron/libpictaron_magick\.so$' "$work/files.txt" \
  || fail "the picture module is not in the package"
for file in /usr/bin/pictaron /usr/bin/pictaron-cli \
            /usr/share/applications/com.orvanti.Pictaron.desktop \
            /usr/share/metainfo/com.orvanti.Pictaron.metainfo.xml \
            /usr/share/icons/hicolor/16x16/apps/pictaron.png \
            /usr/share/icons/hicolor/48x48/apps/pictaron.png \
            /usr/share/icons/hicolor/256x256/apps/pictaron.png \
            /usr/share/icons/hicolor/scalable/apps/pictaron.svg \
            /usr/share/pictaron/manual/index.html \
            /usr/share/man/man1/pictaron.1.gz /usr/share/man/man1/pictaron-cli.1.gz; do
  grep -qxF "$file" "$work/files.txt" || fail "$file is not in the package"
done
# Everything lives under /usr; nothing of the build (static libraries,
# headers, tests) comes along.
if grep -vE '^/$|^/usr(/|$)' "$work/files.txt"; then fail "files outside /usr"; fi
if grep -E '\.(a|h|cpp)$|_test|tests?/' "$work/files.txt"; then fail "build files in the package"; fi

# The dependencies: the packages of the libraries every build links, with
# the versions dpkg-shlibdeps derived from the symbols used ...
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
declared() { echo "$depends" | tr ',' '\n' | awk '{print $1}' | grep -qxF "$1"; }
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 \
               libgraphicsmagick-q16-3 libjpeg62-turbo liblcms2-2 libexif12 \
               libpng16-16 libwebp7 libavif15; do
  declared "$package" || fail "Depends lacks $package"
done
# ... and, found independently, the package holding each library the
# packaged programs and module name (readelf for the names, dpkg -S for the
# package that holds each).
dpkg-deb -x "$deb" "$work/root"
for elf in "$work/root/usr/bin/pictaron" "$work/root/usr/bin/pictaron-cli" \
           $(find "$work/root/usr/lib" -name libpictaron_magick.so); do
  readelf -d "$elf" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'
done | sort -u > "$work/needed.txt"
# Only the folders this architecture loads from count (not lib32, say).
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
while read -r soname; do
  owner=$(dpkg -S "$soname" 2>/dev/null | awk -v so="/$soname" -v arch="$multiarch" '
    { split($0, part, ": "); path = part[2]; dir = substr(path, 1, length(path) - length(so))
      if (substr(path, length(dir) + 1) == so && dir ~ ("^(/usr)?/lib(64)?(/" arch ")?$")) {
        sub(/:.*/, "", part[1]); print part[1]; exit } }')
  [ -n "$owner" ] || fail "no installed package holds $soname"
  declared "$owner" || fail "Depends lacks $owner, which holds $soname"
done < "$work/needed.txt"
echo "$depends" | grep -qE 'libqt6core6 \(>= 6' || fail "Depends has no minimum Qt version"
if echo "$depends" | grep -qE -- '-dev\b'; then fail "Depends names a development package"; fi
echo "package $(basename "$deb"): files and dependencies are right"
