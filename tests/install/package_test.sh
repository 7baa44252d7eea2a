#!/usr/bin/env bash
# Builds the two Debian packages from the build tree with CPack and checks
# what each holds and declares: pictaron-cli (the command line, the picture
# and codec modules, its manual page) and pictaron (the window, the caption module and
# the desktop files) hold every installed file between them and none twice;
# each declares the packages of the libraries its programs and modules link;
# pictaron-cli pulls in no Qt Gui, Qt Widgets or display library beyond what
# the picture library's own package needs, and pictaron depends on
# pictaron-cli of its own version.
# Usage: package_test.sh BUILD_DIR VERSION WORK_DIR
set -euo pipefail
build=$1 version=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" > "$work/cpack.log" \
  || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
[ "$(cd "$work" && ls -- *.deb | sort | tr '\n' ' ')" = "pictaron-cli_${version}_$arch.deb pictaron_${version}_$arch.deb " ] \
  || fail "the packages made: $(cd "$work" && ls -- *.deb | tr '\n' ' ')"

# Everything "cmake --install" puts in place, as the packages must share it.
cmake --install "$build" --prefix "$work/all" > "$work/install.log"
(cd "$work/all" && find . ! -type d | sed 's|^\.|/usr|') | sort > "$work/installed.txt"

# The files (not folders) of a package, one absolute path a line.
package_files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./|/|' | sort; }

# Checks what every package has alike: its fields, that it lives under /usr
# without build files, and that its Depends name the package holding each
# library its programs and modules link, found independently (readelf for
# the names, dpkg -S for the package that holds each).
check_package() {
  local deb=$1 name=$2 summary=$3
  [ "$(dpkg-deb -f "$deb" Package)" = "$name" ] || fail "$deb: package name $(dpkg-deb -f "$deb" Package)"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$name: version $(dpkg-deb -f "$deb" Version), want $version"
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "$name: architecture"
  [ "$(dpkg-deb -f "$deb" Description | head -1)" = "$summary" ] || fail "$name: summary $(dpkg-deb -f "$deb" Description | head -1)"
  [ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 3 ] || fail "$name: no long description"
  if dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' | grep -vE '^/$|^/usr(/|$)'; then
    fail "$name: files outside /usr"
  fi
  if grep -E '\.(a|h|cpp)$|_test|tests?/' "$work/$name.files"; then fail "$name: build files in the package"; fi

  local depends
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "$name Depends: $depends"
  echo "$depends" | tr ',' '\n' | awk '{print $1}' | sed '/^$/d' > "$work/$name.depends"
  if grep -E -- '-dev$' "$work/$name.depends"; then fail "$name: Depends names a development package"; fi
  dpkg-deb -x "$deb" "$work/$name"
  local elf
  for elf in $(find "$work/$name/usr/bin" "$work/$name/usr/lib" -type f 2>/dev/null); do
    readelf -d "$elf" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'
  done | sort -u > "$work/$name.needed"
  [ -s "$work/$name.needed" ] || fail "$name: no linked library found"
  local soname owner
  while read -r soname; do
    # Only the folders this architecture loads from count (not lib32, say).
    owner=$(dpkg -S "$soname" 2>/dev/null | awk -v so="/$soname" -v arch="$multiarch" '
      { split($0, part, ": "); path = part[2]; dir = substr(path, 1, length(path) - length(so))
        if (substr(path, length(dir) + 1) == so && dir ~ ("^(/usr)?/lib(64)?(/" arch ")?$")) {
          sub(/:.*/, "", part[1]); print part[1]; exit } }')
    [ -n "$owner" ] || fail "no installed package holds $soname"
    grep -qxF "$owner" "$work/$name.depends" || fail "$name: Depends lacks $owner, which holds $soname"
  done < "$work/$name.needed"
}
declares() { grep -qxF "$2" "$work/$1.depends"; }

cli_deb="$work/pictaron-cli_${version}_$arch.deb"
window_deb="$work/pictaron_${version}_$arch.deb"
package_files "$cli_deb" > "$work/pictaron-cli.files"
package_files "$window_deb" > "$work/pictaron.files"

# Each file in exactly one package, and together all that is installed. The
# modules' lib folder is lib/<multiarch> for a tree configured for /usr
# (scripts/package.sh) and lib otherwise; the programs find it either way.
both=$(comm -12 "$work/pictaron-cli.files" "$work/pictaron.files")
[ -z "$both" ] || fail "in both packages: $both"
sort -m "$work/pictaron-cli.files" "$work/pictaron.files" > "$work/packaged.txt"
diff -u "$work/installed.txt" "$work/packaged.txt" >&2 || fail "the packages do not hold what is installed, no more"
lib='/usr/lib/([a-z0-9_]+-linux-gnu[a-z]*/)?pictaron'
expect() {  # PACKAGE REGEX...: each names one file of the package
  local name=$1; shift
  local pattern
  for pattern in "$@"; do
    grep -qE "^$pattern\$" "$work/$name.files" || fail "$name lacks $pattern"
  done
}
expect pictaron-cli /usr/bin/pictaron-cli "$lib/libpictaron_magick\.so" /usr/share/man/man1/pictaron-cli\\.1\\.gz
expect pictaron-cli "$lib/libpictaron_avif\.so" "$lib/libpictaron_png\.so" "$lib/libpictaron_webp\.so" \
  "$lib/libpictaron_profile\.so" "$lib/libpictaron_exif\.so"
expect pictaron /usr/bin/pictaron "$lib/libpictaron_caption\.so" \
  /usr/share/applications/com\\.orvanti\\.Pictaron\\.desktop \
  /usr/share/metainfo/com\\.orvanti\\.Pictaron\\.metainfo\\.xml \
  /usr/share/icons/hicolor/16x16/apps/pictaron\\.png /usr/share/icons/hicolor/48x48/apps/pictaron\\.png \
  /usr/share/icons/hicolor/256x256/apps/pictaron\\.png /usr/share/icons/hicolor/scalable/apps/pictaron\\.svg \
  /usr/share/pictaron/manual/index\\.html /usr/share/man/man1/pictaron\\.1\\.gz
# The command line's package holds nothing of the window (the caption module
# links Qt Gui); the window's holds no second command line.
if grep -E '/pictaron$|libpictaron_caption|/applications/|/metainfo/|/icons/|/manual/' "$work/pictaron-cli.files"; then
  fail "pictaron-cli holds files of the window"
fi

check_package "$cli_deb" pictaron-cli "Prepares pictures for web pages, from the command line"
check_package "$window_deb" pictaron "Prepares pictures for web pages"

# pictaron-cli: the libraries every build links, and no Qt at all.
for package in libc6 libstdc++6 libgraphicsmagick-q16-3 libjpeg62-turbo liblcms2-2 \
               libexif12 libpng16-16 libwebp7 libavif15; do
  declares pictaron-cli "$package" || fail "pictaron-cli: Depends lacks $package"
done
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6; do
  if declares pictaron-cli "$package"; then fail "pictaron-cli depends on $package"; fi
done

# What installing pictaron-cli pulls in, all the way down: no Qt, and no
# display library (X, GL, EGL, Wayland, DRM) that the picture
# library's own package does not bring anyway. The names are listed rather
# than matched by prefix: libxml2 and libglib2.0-0 are no display libraries.
closure() {
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances "$@" | grep -v '^ ' | sed 's/:.*//' | sort -u
}
closure $(cat "$work/pictaron-cli.depends") > "$work/pictaron-cli.closure"
closure libgraphicsmagick-q16-3 > "$work/graphicsmagick.closure"
grep -qxF libjpeg62-turbo "$work/pictaron-cli.closure" || fail "the closure of pictaron-cli misses libjpeg62-turbo"
grep -qxF libx11-6 "$work/graphicsmagick.closure" || fail "the closure of libgraphicsmagick-q16-3 misses libx11-6"
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6opengl6; do
  if grep -qxF "$package" "$work/pictaron-cli.closure"; then fail "installing pictaron-cli pulls in $package"; fi
done
display='^(libx11-|libxcb|libxau|libxdmcp|libxext|libxrender|libxi[0-9]|libxfixes|libxrandr|libxkb|libgl[0-9x-]|libglvnd|libgles|libegl|libopengl|libwayland|libdrm|libgbm|libvulkan)'
# The pattern finds what Qt Gui would pull in beyond the picture library.
closure libqt6gui6 | grep -E "$display" | comm -23 - "$work/graphicsmagick.closure" | grep -q '^libegl' \
  || fail "the display pattern misses Qt Gui's EGL"
extra=$(grep -E "$display" "$work/pictaron-cli.closure" | comm -23 - "$work/graphicsmagick.closure")
[ -z "$extra" ] || fail "installing pictaron-cli pulls in display libraries beyond the picture library's: $extra"

# pictaron: on top of pictaron-cli of this very version, with the toolkit.
dpkg-deb -f "$window_deb" Depends | tr ',' '\n' | sed 's/^ *//' | grep -qxF "pictaron-cli (= $version)" \
  || fail "pictaron does not depend on pictaron-cli (= $version)"
for package in libqt6core6 libqt6gui6 libqt6widgets6; do
  declares pictaron "$package" || fail "pictaron: Depends lacks $package"
done
dpkg-deb -f "$window_deb" Depends | grep -qE 'libqt6core6 \(>= 6' || fail "pictaron: Depends has no minimum Qt version"
echo "packages $(basename "$cli_deb") and $(basename "$window_deb"): files and dependencies are right"
