#!/usr/bin/env bash
# The built command line links no Qt at all: neither pictaron-cli nor
# anything it loads at start (ldd follows every library down) names a Qt
# library or a display library, so it runs where none is installed; nor do
# the codec modules it loads for the runs that need them. The picture module
# may bring the picture library's X library; the caption module does link
# Qt Gui, which shows the patterns find what they look for. Nor does
# pictaron-cli load the codecs' libraries at start.
# Usage: cli_libraries_test.sh PICTARON_CLI CAPTION_MODULE WORK_DIR CODEC_MODULE...
set -euo pipefail
cli=$1 caption=$2 work=$3
shift 3
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
qt='libQt6[A-Za-z]*\.so'
toolkit='libQt6(Gui|Widgets|Network|OpenGL)\.so'
display='lib(X11|xcb|GL|EGL|OpenGL|GLX|wayland-[a-z]+|drm|gbm|xkbcommon)\.so'

# Each listing goes to a file before it is searched: a search that stops at
# its first match would end the listing early, and pipefail would count that
# as a failure.
needed() { readelf -d "$1" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'; }
needed "$cli" > "$work/pictaron-cli.needed"
grep -q '^libjpeg\.so' "$work/pictaron-cli.needed" || fail "pictaron-cli does not name libjpeg"
if grep -E "$qt" "$work/pictaron-cli.needed"; then fail "pictaron-cli names a Qt library"; fi
ldd "$cli" > "$work/pictaron-cli.ldd" || fail "ldd $cli failed"
if grep -E 'not found' "$work/pictaron-cli.ldd"; then fail "pictaron-cli lacks a library"; fi
if grep -E "$qt|$display" "$work/pictaron-cli.ldd"; then fail "pictaron-cli loads Qt or a display library"; fi
codecs='lib(png16|webp|webpmux|lcms2|exif|avif)\.so'
if grep -E "$codecs" "$work/pictaron-cli.ldd"; then fail "pictaron-cli loads a codec library at start"; fi

for module in "$@"; do
  ldd "$module" > "$work/module.ldd" || fail "ldd $module failed"
  if grep -E "$qt" "$work/module.ldd"; then fail "$(basename "$module") loads Qt"; fi
done
needed "$caption" > "$work/caption.needed"
grep -qE "$toolkit" "$work/caption.needed" || fail "the caption module does not name libQt6Gui"
ldd "$caption" > "$work/caption.ldd" || fail "ldd $caption failed"
grep -qE "$display" "$work/caption.ldd" || fail "the caption module loads no display library"
echo "pictaron-cli loads $(grep -c '=>' "$work/pictaron-cli.ldd") libraries, none of Qt or a display"
