#!/usr/bin/env bash
# Installs the two Debian packages the way a build server or a container
# would: into a fresh minimal Debian system (essential packages and apt,
# made by mmdebstrap from the Debian mirror), which starts without any X,
# display or Qt library. There apt installs pictaron-cli from its Depends
# alone (no recommends), and then pictaron. Checked inside: every library the
# programs and modules link is found; pictaron-cli brings no Qt and converts
# a PPM to every output format and reads a GIF and a PNG through its modules;
# once pictaron is installed, the window stays up on the offscreen platform
# and pictaron-cli draws a caption. The results are read back outside with
# independent tools. Needs root and the mirror; exits 77 (skipped) without
# root or where root may not mount file systems.
# Usage: clean_system_test.sh BUILD_DIR VERSION WORK_DIR
set -euo pipefail
build=$1 version=$2 work=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
if [ "$(id -u)" != 0 ]; then echo "SKIP: making a Debian system needs root"; exit 77; fi
command -v mmdebstrap > /dev/null || fail "mmdebstrap is missing (scripts/install-deps.sh installs it)"
rm -rf "$work" && mkdir -p "$work/in/out" "$work/probe"
# The new system needs /proc and /dev mounted inside it, which a container
# may not allow even its root.
if ! unshare --mount sh -c "mount -t proc proc '$work/probe' && mount -t tmpfs tmpfs '$work/probe'" 2> /dev/null; then
  echo "SKIP: this machine does not let root mount file systems"; exit 77
fi

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/debs" > "$work/cpack.log" \
  || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
cp "$work/debs/pictaron-cli_${version}_$arch.deb" "$work/debs/pictaron_${version}_$arch.deb" "$work/in/" \
  || fail "cpack made no packages of version $version"

# The pictures, made here with independent tools: a PPM, a GIF, a PNG.
printf 'P6\n4 2\n255\n' > "$work/in/in.ppm"
printf '\x10\x20\x30\x40\x50\x60\x70\x80\x90\xa0\xb0\xc0\xd0\xe0\xf0\xff\x00\x00\x00\xff\x00\x00\x00\xff' \
  >> "$work/in/in.ppm"
gm convert "$work/in/in.ppm" "$work/in/in.gif"
gm convert "$work/in/in.ppm" "$work/in/in.png"
gm convert -size 96x64 gradient:navy-gold "$work/in/gradient.ppm"

# What runs inside the new system; each step that fails ends the hook and
# mmdebstrap with it.
cat > "$work/in/inside.sh" <<'INSIDE'
set -eu
cd /tmp/in
fail() { echo "FAIL (inside): $*" >&2; exit 1; }
installed() { dpkg-query -W -f '${db:Status-Abbrev} ${Package}\n' | awk '$1 == "ii" {print $2}' | sort; }
display='^(libx11-|libxcb|libgl[0-9x-]|libegl|libwayland|libdrm|libqt6)'
installed > before.txt
if grep -E "$display" before.txt; then fail "the fresh system already has display or Qt libraries"; fi

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends ./pictaron-cli_*.deb > out/install-cli.log 2>&1 \
  || { tail -20 out/install-cli.log >&2; fail "apt cannot install pictaron-cli"; }
installed | comm -13 before.txt - > out/pulled-by-cli.txt
if grep '^libqt6' out/pulled-by-cli.txt; then fail "installing pictaron-cli pulled in Qt"; fi
[ "$(pictaron-cli --version)" = "pictaron-cli $PICTARON_VERSION" ] || fail "pictaron-cli --version: $(pictaron-cli --version)"
for format in jpg png webp avif gif; do
  pictaron-cli in.ppm -o out/from-ppm.$format || fail "in.ppm to $format"
done
pictaron-cli in.gif -o out/from-gif.png || fail "in.gif to PNG"
pictaron-cli in.png -o out/from-png.jpg || fail "in.png to JPEG"

apt-get install -y --no-install-recommends ./pictaron_*.deb > out/install-window.log 2>&1 \
  || { tail -20 out/install-window.log >&2; fail "apt cannot install pictaron"; }
for elf in $(dpkg -L pictaron-cli pictaron | grep -E '^/usr/(bin/|lib/.*\.so$)'); do
  [ -f "$elf" ] || continue
  if ldd "$elf" | grep 'not found'; then fail "$elf lacks a library"; fi
done
# The window has no way to end by itself: still running after five seconds
# is what a window that started looks like.
status=0
HOME=/tmp/in QT_QPA_PLATFORM=offscreen timeout 5 pictaron in.ppm > out/window.log 2>&1 || status=$?
[ "$status" = 124 ] || { cat out/window.log >&2; fail "pictaron ended with status $status within five seconds"; }
pictaron-cli gradient.ppm -o out/uncaptioned.png || fail "gradient.ppm to PNG"
pictaron-cli gradient.ppm --caption Hi -o out/captioned.png 2> out/caption.log \
  || { cat out/caption.log >&2; fail "a caption run"; }
INSIDE

# The release of this machine with its updates, as a Debian system has it;
# the new system is thrown away at the end.
. /etc/os-release
mirror=http://deb.debian.org/debian
mmdebstrap --variant=apt --quiet \
  --customize-hook="copy-in $work/in /tmp" \
  --customize-hook="chroot \"\$1\" env PICTARON_VERSION=$version sh /tmp/in/inside.sh" \
  --customize-hook="copy-out /tmp/in/out $work" \
  "$VERSION_CODENAME" /dev/null "deb $mirror $VERSION_CODENAME main" "deb $mirror $VERSION_CODENAME-updates main" \
  "deb $mirror-security $VERSION_CODENAME-security main" > "$work/mmdebstrap.log" 2>&1 \
  || { tail -40 "$work/mmdebstrap.log" >&2; fail "the packages do not install and run on a fresh system"; }
out="$work/out"
[ -d "$out" ] || fail "nothing came back from the fresh system"

# What came back, read with tools of this machine.
grep -c . "$out/pulled-by-cli.txt" > /dev/null || fail "installing pictaron-cli installed nothing"
[ "$(gm identify -format '%m %wx%h' "$out/from-ppm.jpg")" = "JPEG 4x2" ] || fail "from-ppm.jpg"
/usr/bin/python3 - "$work/in/in.ppm" "$out/from-ppm.png" "$out/from-gif.png" <<'PY' || fail "the PNG results do not hold the pictures' pixels"
import sys
from PIL import Image
source = Image.open(sys.argv[1]).convert("RGB").tobytes()
for path in sys.argv[2:]:
    assert Image.open(path).convert("RGB").tobytes() == source, path
PY
pngcheck -q "$out/from-ppm.png" "$out/from-gif.png" "$out/captioned.png" > /dev/null || fail "pngcheck"
dwebp -quiet "$out/from-ppm.webp" -o "$work/webp.ppm" || fail "dwebp cannot read from-ppm.webp"
[ "$(gm identify -format '%m %wx%h' "$out/from-ppm.gif")" = "GIF 4x2" ] || fail "from-ppm.gif"
[ "$(head -c 12 "$out/from-ppm.avif" | tail -c 8)" = "ftypavif" ] || fail "from-ppm.avif is no AVIF file"
[ "$(gm identify -format '%m %wx%h' "$out/from-png.jpg")" = "JPEG 4x2" ] || fail "from-png.jpg"
# A system without fonts would give the caption no letters to draw.
if cmp -s "$out/uncaptioned.png" "$out/captioned.png"; then fail "the caption drew nothing"; fi
echo "pictaron-cli and pictaron install and run on a fresh $PRETTY_NAME;" \
  "pictaron-cli pulled in $(wc -l < "$out/pulled-by-cli.txt") packages, none of Qt"
