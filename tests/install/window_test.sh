#!/usr/bin/env bash
# Starts Pictaron from an install tree on a virtual display and checks what
# an installed program must find for itself: it makes a result and keeps the
# work file in the user's data folder (not in bin/), and F1 opens a page of
# the manual installed under share/pictaron. A stand-in xdg-open records the
# page instead of starting a browser. The screenshot stays in WORK_DIR.
# Usage: window_test.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1 work=$2
prefix="$work/prefix"
rm -rf "$work" && mkdir -p "$work/fakebin"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log"

# A real window on the virtual display, whatever the test run sets.
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_CONFIG_HOME/Orvanti"
printf '[General]\nSplash=0\n' > "$XDG_CONFIG_HOME/Orvanti/Pictaron.conf"
cat > "$work/fakebin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >> "$work/opened.txt"
SCRIPT
chmod +x "$work/fakebin/xdg-open"
export PATH="$work/fakebin:$PATH"
/usr/bin/python3 -c 'import sys
from PIL import Image
Image.radial_gradient("L").resize((320, 240)).convert("RGB").save(sys.argv[1])' "$work/in.png"

run() {
  "$prefix/bin/pictaron" "$work/in.png" &
  pid=$!
  trap 'kill $pid 2>/dev/null || true' EXIT
  local window
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Pictaron$' | head -1)
  [ -n "$window" ] || { echo "FAIL: no Pictaron window appeared" >&2; exit 1; }
  sleep 1
  # "Apply Changes" is the second button of the tool bar.
  xdotool mousemove --window "$window" 160 34 click 1
  for _ in $(seq 1 150); do
    [ -s "$XDG_DATA_HOME/Orvanti/Pictaron/work.jpg" ] && break
    sleep 0.2
  done
  # Without a window manager the keyboard follows the pointer, which is over
  # the window now.
  xdotool key F1
  for _ in $(seq 1 100); do
    [ -s "$work/opened.txt" ] && break
    sleep 0.2
  done
  gm import -window root "$work/installed.png"
  kill -0 $pid  # still running: nothing crashed
}
export prefix work
xvfb-run -a -s "-screen 0 1280x800x24" bash -c "set -euo pipefail; $(declare -f run); run"

[ -s "$XDG_DATA_HOME/Orvanti/Pictaron/work.jpg" ] || fail "no work file in $XDG_DATA_HOME/Orvanti/Pictaron"
[ ! -e "$prefix/bin/work.jpg" ] || fail "the installed program wrote its work file into bin/"
[ -s "$work/opened.txt" ] || fail "F1 opened nothing"
page=$(head -1 "$work/opened.txt")
case "$page" in
  "file://$prefix/share/pictaron/manual/"*.html) ;;
  *) fail "F1 opened $page, not a page of $prefix/share/pictaron/manual" ;;
esac
[ -s "${page#file://}" ] || fail "F1 opened a page that does not exist: $page"
echo "the installed program kept its work file in $XDG_DATA_HOME and F1 opened $page"
