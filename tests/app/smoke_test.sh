#!/usr/bin/env bash
# Starts the real program under a virtual X display with a picture, presses
# "Apply Changes", and keeps a screenshot of the window with its result.
# Usage: smoke_test.sh PROGRAM PICTURE OUTPUT_FOLDER
set -euo pipefail
program=$1 picture=$2 out=$3
work="$(dirname "$program")/work.jpg"

# On the virtual display: start, click, wait for the work file, take the shot.
if [ "${SMOKE_INNER:-}" = 1 ]; then
    # The tests around run offscreen; this one needs the X display.
    QT_QPA_PLATFORM=xcb "$program" "$picture" &
    pid=$!
    trap 'kill $pid 2>/dev/null || true' EXIT
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Pictaron$' | head -1)
    sleep 1
    # "Apply Changes" is the second button of the tool bar.
    xdotool mousemove --window "$window" 160 34 click 1
    for _ in $(seq 1 100); do
        [ -s "$work" ] && break
        sleep 0.2
    done
    sleep 1
    gm import -window root "$out/smoke.png"
    kill -0 $pid  # still running: nothing crashed
    exit 0
fi

mkdir -p "$out"
export XDG_CONFIG_HOME="$out/config"
mkdir -p "$XDG_CONFIG_HOME/Orvanti"
printf '[General]\nSplash=0\n' > "$XDG_CONFIG_HOME/Orvanti/Pictaron.conf"
rm -f "$work" "$out/smoke.png"
if [ ! -f "$picture" ]; then
    # Without the shared test pictures, a drawn one serves.
    picture="$out/drawn.png"
    /usr/bin/python3 -c 'import sys
from PIL import Image
Image.radial_gradient("L").resize((320, 240)).convert("RGB").save(sys.argv[1])' "$picture"
fi
SMOKE_INNER=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$program" "$picture" "$out"

test -s "$work" || { echo "no conversion ran: $work missing" >&2; exit 1; }
test -s "$out/smoke.png" || { echo "no screenshot" >&2; exit 1; }
# The result view on the right must show a picture, not an empty grey box.
/usr/bin/python3 - "$out/smoke.png" <<'PY'
import sys
from PIL import Image
shot = Image.open(sys.argv[1]).convert("RGB")
w, h = shot.size
right = shot.crop((w // 2 + 20, h // 3, w - 20, h - 20))
colours = right.getcolors(maxcolors=1 << 20)
if colours is None or len(colours) < 50:
    sys.exit("the result view looks empty")
print("screenshot", sys.argv[1], "with", len(colours), "colours in the result view")
PY
