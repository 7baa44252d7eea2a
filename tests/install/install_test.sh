#!/usr/bin/env bash
# Installs the build into a fresh prefix, as "cmake --install --prefix" or a
# package would, and checks that the installed programs work from there: the
# files are in place, the desktop entry and metainfo validate, and
# pictaron-cli converts a PNG with the picture module of the install tree, not
# the one of the build tree, and captions with its caption module; a PPM
# becomes a JPEG without any codec module and a PNG with the PNG module
# alone; the cli component alone (the pictaron-cli package) converts but
# refuses a caption, and says which module it lacks when one is gone.
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

# A caption is drawn by the caption module of the install tree.
LD_DEBUG=files "$prefix/bin/pictaron-cli" "$work/in.png" -o "$work/captioned.jpg" --caption Hi 2> "$work/caption-ld.log"
grep -q "file=$prefix/lib/\(.*/\)\?pictaron/libpictaron_caption.so .*dynamically loaded" "$work/caption-ld.log" \
  || fail "pictaron-cli did not load the caption module of the install tree (see $work/caption-ld.log)"
[ "$(gm identify -format '%m %wx%h' "$work/captioned.jpg")" = "JPEG 64x48" ] || fail "captioned.jpg is not a 64x48 JPEG"

# The codecs' modules are loaded by the runs that need them, from the install
# tree: a PPM to JPEG run loads none, a PNG result the PNG module alone.
printf 'P6\n2 2\n255\n\x10\x20\x30\x40\x50\x60\x70\x80\x90\xa0\xb0\xc0' > "$work/in.ppm"
LD_DEBUG=files "$prefix/bin/pictaron-cli" "$work/in.ppm" -o "$work/ppm.jpg" 2> "$work/ppm-ld.log"
codecs='lib(png16|webp|webpmux|lcms2|exif|avif)\.so|libpictaron_'
if grep -E "file=[^ ]*($codecs)" "$work/ppm-ld.log"; then fail "a PPM to JPEG run loaded a codec (see $work/ppm-ld.log)"; fi
LD_DEBUG=files "$prefix/bin/pictaron-cli" "$work/in.ppm" -o "$work/ppm.png" 2> "$work/png-ld.log"
grep -q "file=$prefix/lib/\(.*/\)\?pictaron/libpictaron_png.so .*dynamically loaded" "$work/png-ld.log" \
  || fail "a PNG result did not load the PNG module of the install tree (see $work/png-ld.log)"
loaded=$(grep -oE "file=[^ ]*($codecs)[^ ]*" "$work/png-ld.log" | sed -E 's|^file=(.*/)?||' | sort -u | tr '\n' ' ')
[ "$loaded" = "libpictaron_png.so libpng16.so.16 " ] || fail "a PNG result loaded $loaded"
/usr/bin/python3 -c 'import sys
from PIL import Image
picture = Image.open(sys.argv[1])
sys.exit(picture.format != "PNG" or picture.mode != "RGB" or picture.size != (2, 2)
         or picture.tobytes() != open(sys.argv[2], "rb").read()[-12:])' "$work/ppm.png" "$work/in.ppm" \
  || fail "ppm.png does not hold the PPM's pixels"

# The command line's package alone (component cli): no window, no caption
# module. It converts, and refuses a caption, naming the package to install,
# rather than taking the module of the build tree.
cli_prefix="$work/cli-prefix"
cmake --install "$build" --prefix "$cli_prefix" --component cli > "$work/install-cli.log"
(cd "$cli_prefix" && find . ! -type d | sort) > "$work/cli-files.txt"
for file in ./bin/pictaron-cli ./share/man/man1/pictaron-cli.1.gz; do
  grep -qxF "$file" "$work/cli-files.txt" || fail "the cli component lacks $file"
done
grep -qE '^\./lib/(.*/)?pictaron/libpictaron_magick\.so$' "$work/cli-files.txt" || fail "the cli component lacks the picture module"
# Nothing but the program, its modules and its page; never the caption module.
if grep -vE '^\./(bin/pictaron-cli|lib/(.*/)?pictaron/libpictaron_[a-z0-9]+\.so|share/man/man1/pictaron-cli\.1\.gz)$' "$work/cli-files.txt" \
   || grep libpictaron_caption "$work/cli-files.txt"; then
  fail "the cli component holds more than the command line"
fi
"$cli_prefix/bin/pictaron-cli" "$work/in.png" -o "$work/cli-out.jpg" --quality 70 || fail "the cli component does not convert"
cmp -s "$work/out.jpg" "$work/cli-out.jpg" || fail "the cli component converts differently"
status=0
"$cli_prefix/bin/pictaron-cli" "$work/in.png" -o "$work/cli-captioned.jpg" --caption Hi \
  > "$work/caption.out" 2> "$work/caption.err" || status=$?
[ "$status" = 1 ] || fail "--caption without the caption module: status $status, want 1"
[ ! -s "$work/caption.out" ] || fail "--caption without the caption module wrote to standard output"
printf 'pictaron-cli: Captions need the graphics module libpictaron_caption.so, which the pictaron package installs.\n' \
  | cmp -s - "$work/caption.err" || fail "--caption without the caption module: $(cat "$work/caption.err")"
[ ! -e "$work/cli-captioned.jpg" ] || fail "--caption without the caption module wrote its output"
# Without its PNG module the command line refuses a PNG result, naming the
# module, and writes nothing; it never takes the build tree's.
rm "$(find "$cli_prefix/lib" -name libpictaron_png.so)"
status=0
"$cli_prefix/bin/pictaron-cli" "$work/in.ppm" -o "$work/no-module.png" > "$work/no-module.out" 2> "$work/no-module.err" \
  || status=$?
[ "$status" = 1 ] || fail "a PNG without the PNG module: status $status, want 1"
[ ! -s "$work/no-module.out" ] || fail "a PNG without the PNG module wrote to standard output"
printf 'pictaron-cli: %s: The PNG encoder could not be loaded: libpictaron_png.so is missing.\n' "$work/in.ppm" \
  | cmp -s - "$work/no-module.err" || fail "a PNG without the PNG module: $(cat "$work/no-module.err")"
[ ! -e "$work/no-module.png" ] || fail "a PNG without the PNG module was written"
echo "installed into $prefix: files, entries, manual pages, a PNG conversion and a caption are right"
echo "the cli component alone converts, refuses a caption, naming the pictaron package, and a PNG without its module"
