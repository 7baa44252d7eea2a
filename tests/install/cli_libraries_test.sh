#!/usr/bin/env bash
# The built command line links Qt Core and no graphics toolkit: neither
# pictaron-cli nor anything it loads at start (ldd follows every library
# down) names Qt Gui, Qt Widgets or a display library, so it runs where none
# is installed. The picture module may bring the picture library's X
# library, never Qt Gui; the caption module does link Qt Gui, which shows the
# patterns find what they look for. Nor does pictaron-cli load the codecs'
# libraries that their modules load for the runs that need them.
# Usage: cli_libraries_test.sh PICTARON_CLI MAGICK_MODULE CAPTION_MODULE WORK_DIR
set -euo pipefail
cli=$1 magick=$2 caption=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
toolkit='libQt6(Gui|Widgets|Network|OpenGL)\.so'
display='lib(X11|xcb|GL|EGL|OpenGL|GLX|wayland-[a-z]+|drm|gbm|xkbcommon)\.so'

# Each listing goes to a file before it is searched: a search that stops at
# its first match would end the listing early, and pipefail would count that
# as a failure.
needed() { readelf -d "$1" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'; }
needed "$cli" > "$work/pictaron-cli.needed"
grep -q '^libQt6Core\.so' "$work/pictaron-cli.needed" || fail "pictaron-cli does not name libQt6Core"
if grep -E "$toolkit" "$work/pictaron-cli.needed"; then fail "pictaron-cli names Qt's graphics libraries"; fi
ldd "$cli" > "$work/pictaron-cli.ldd" || fail "ldd $cli failed"
if grep -E 'not found' "$work/pictaron-cli.ldd"; then fail "pictaron-cli lacks a library"; fi
if grep -E "$toolkit|$display" "$work/pictaron-cli.ldd"; then fail "pictaron-cli loads a toolkit or display library"; fi
codecs='lib(png16|webp|webpmux|lcms2|exif|avif)\.so'
if grep -E "$codecs" "$work/pictaron-cli.ldd"; then fail "pictaron-cli loads a codec library at start"; fi

if ldd "$magick" | grep -E "$toolkit"; then fail "the picture module loads Qt's graphics libraries"; fi
needed "$caption" > "$work/caption.needed"
grep -qE "$toolkit" "$work/caption.needed" || fail "the caption module does not name libQt6Gui"
ldd "$caption" > "$work/caption.ldd" || fail "ldd $caption failed"
grep -qE "$display" "$work/caption.ldd" || fail "the caption module loads no display library"
echo "pictaron-cli loads $(grep -c '=>' "$work/pictaron-cli.ldd") libraries, none of Qt Gui or a display"
