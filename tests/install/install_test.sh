#!/usr/bin/env bash
# Installs the build into a fresh prefix, as "cmake --install --prefix" or a
# package would, and checks that the installed programs work from there: the
# files are in place, the desktop entry and metainfo validate, and
# pictaron-cli converts a PNG with the picture module of the install tree, not
# the one of the build tree.
# Usage: install_test.sh BUILD_DIR VERSION WORK_DIR
set -euo pipefail
build=$1 version=$2 work=$3
prefix="$work/prefix"
rm -rf "$work" && mkdir -p "$work"

cmake --install "$build" --prefix "$prefix" > "$work/install.log"

fail() { echo "FAIL: $*" >&2; exit 1; }
module=$(find "$prefix/lib" -name libpictaron_magick.so)
[ -n "$module" ] || fail "the picture module is not installed under $prefix/lib"
case "$module" in */pictaron/libpictaron_magick.so) ;; *) fail "module in the wrong folder: $module" ;; esac

for file in bin/pictaron bin/pictaron-cli \
            share/applications/com.orvanti.Pictaron.desktop \
            share/metainfo/com.orvanti.Pictaron.metainfo.xml \
            share/icons/hicolor/scalable/apps/pictaron.svg \
            share/pictaron/manual/index.html share/pictaron/manual/style.css \
            share/man/man1/pictaron.1.gz share/man/man1/pictaron-cli.1.gz; do
  [ -s "$prefix/$file" ] || fail "$file is missing"
done
for size in 16 22 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/pictaron.png"
  [ "$(gm identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "$icon is not ${size}x${size}"
done
[ -x "$prefix/bin/pictaron" ] && [ -x "$prefix/bin/pictaron-cli" ] || fail "the programs are not executable"

# No installed program may point into the build tree for its libraries.
for elf in "$prefix/bin/pictaron" "$prefix/bin/pictaron-cli" "$module"; do
  if readelf -d "$elf" | grep -E 'R(UN)?PATH' | grep -q "$build"; then
    fail "$elf keeps a library path into the build tree"
  fi
done

desktop-file-validate "$prefix/share/applications/com.orvanti.Pictaron.desktop"
grep -qx 'Exec=pictaron %F' "$prefix/share/applications/com.orvanti.Pictaron.desktop" || fail "Exec line"
appstreamcli validate --no-net "$prefix/share/metainfo/com.orvanti.Pictaron.metainfo.xml"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/com.orvanti.Pictaron.metainfo.xml" \
  || fail "metainfo does not name release $version"

# The manual pages render, name the version and list the command line's options.
for page in pictaron pictaron-cli; do
  zcat "$prefix/share/man/man1/$page.1.gz" > "$work/$page.1"
  grep -q "Pictaron $version" "$work/$page.1" || fail "$page.1 does not name version $version"
  warnings=$(groff -man -Tutf8 -ww -z "$work/$page.1" 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
"$prefix/bin/pictaron-cli" --help > "$work/help.txt"
for option in $(grep -oE -- '--[a-z][a-z-]+' "$work/help.txt" | sort -u); do
  grep -qF -- "${option//-/\\-}" "$work/pictaron-cli.1" || fail "pictaron-cli.1 lacks $option"
done

# The version the installed command line shows.
[ "$("$prefix/bin/pictaron-cli" --version)" = "pictaron-cli $version" ] || fail "--version"
grep -q "Pictaron $version" "$work/help.txt" || fail "--help does not show version $version"

# A PNG needs the picture module. LD_DEBUG names every file the loader maps,
# so it shows which module was taken.
/usr/bin/python3 -c 'import sys
from PIL import Image
Image.radial_gradient("L").resize((64, 48)).convert("RGB").save(sys.argv[1])' "$work/in.png"
LD_DEBUG=files "$prefix/bin/pictaron-cli" "$work/in.png" -o "$work/out.jpg" --quality 70 2> "$work/ld.log"
grep -q "file=$prefix/lib/\(.*/\)\?pictaron/libpictaron_magick.so .*dynamically loaded" "$work/ld.log" \
  || fail "pictaron-cli did not load the module of the install tree (see $work/ld.log)"
if grep -q "file=$build/libpictaron_magick.so" "$work/ld.log"; then
  fail "pictaron-cli loaded the module of the build tree"
fi
[ "$(gm identify -format '%m %wx%h' "$work/out.jpg")" = "JPEG 64x48" ] || fail "out.jpg is not a 64x48 JPEG"
echo "installed into $prefix: files, entries, manual pages and a PNG conversion are right"
