#!/usr/bin/env bash
# The real program on a virtual X display, driven by keys and clicks from
# outside as a person drives it: open a picture through the Open dialog,
# apply, save as JPEG through Save As, switch to GIF, apply and save again,
# switch to WebP with its key, apply and save again, then reach the email
# dialog from the About box. Every file written is read back by an
# independent decoder (Pillow).
# Usage: journeys_test.sh PROGRAM OUTPUT_FOLDER
set -euo pipefail
program=$1 out=$2

if [ "${JOURNEY_INNER:-}" != 1 ]; then
    rm -rf "$out"
    mkdir -p "$out/config/Orvanti" "$out/runtime" "$out/pictures"
    chmod 700 "$out/runtime"
    printf '[General]\nSplash=0\n' > "$out/config/Orvanti/Pictaron.conf"
    /usr/bin/python3 - "$out/pictures/photo.png" <<'PY'
import sys
from PIL import Image
picture = Image.new("RGB", (160, 120))
picture.putdata([(x * 255 // 159, y * 255 // 119, (x + y) // 2) for y in range(120) for x in range(160)])
picture.save(sys.argv[1])
PY
    XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime" JOURNEY_INNER=1 \
        xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$program" "$out"
    exit
fi

step() { echo "journey: $*"; }
fail() { echo "journey failed: $*" >&2; gm import -window root "$out/failed.png" || true; exit 1; }
# The id of the newest visible window whose title matches, within 20 s.
window_named() { timeout 20 xdotool search --sync --onlyvisible --name "$1" | tail -1; }
wait_for_file() {
    for _ in $(seq 1 100); do [ -s "$1" ] && return 0; sleep 0.2; done
    fail "$1 was not written"
}
# Types a path into the file dialog in front and presses Enter.
answer_file_dialog() {
    local dialog
    dialog=$(window_named "$1") || fail "no \"$1\" dialog"
    sleep 0.5
    xdotool windowfocus --sync "$dialog" type --delay 20 "$2"
    xdotool windowfocus --sync "$dialog" key Return
}
# No window manager stands behind the virtual display, so nothing gives the
# focus back to the main window when a dialog closes: each key does.
key() { xdotool windowfocus --sync "$main" key "$@"; sleep 0.3; }
# Save and Save As wait for the run to end, as a person waits for the
# buttons: the key is pressed again until it does what it should.
key_until_window() {
    for _ in $(seq 1 40); do
        key "$1"
        xdotool search --onlyvisible --name "$2" > /dev/null 2>&1 && return 0
        sleep 0.5
    done
    fail "$1 never opened \"$2\""
}
key_until_file() {
    for _ in $(seq 1 40); do
        key "$1"
        sleep 0.5
        [ -s "$2" ] && return 0
    done
    fail "$1 never wrote $2"
}

QT_QPA_PLATFORM=xcb "$program" > "$out/program.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
main=$(window_named '^Pictaron$') || fail "the main window never showed"
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
sleep 1

step "open a picture through the Open dialog"
key ctrl+o
answer_file_dialog '^Open$' "$out/pictures/photo.png"
sleep 1

step "apply, and save the JPEG through Save As"
key alt+a
key_until_window ctrl+a 'Save File As'
answer_file_dialog 'Save File As' "$out/result"
wait_for_file "$out/result.jpg"

step "switch to GIF, apply, and save under the name that follows the format"
# Alt+G is also Grayscale's key: it moves the focus to GIF, Space chooses it.
key alt+g
key space
key alt+a
key_until_file ctrl+s "$out/result.gif"

step "switch to WebP with its key, apply, and save under the name that follows the format"
key alt+w
key alt+a
key_until_file ctrl+s "$out/result.webp"

step "the About box leads to the email dialog"
key alt+h
key a
about=$(window_named '^Pictaron$' | grep -vx "$main" | tail -1) || true
[ -n "$about" ] || about=$(xdotool getactivewindow)
sleep 1
# "tell a friend" stands at the top right of the box.
xdotool mousemove --window "$about" 410 29 click 1
email=$(window_named 'to a Friend') || fail "the email dialog never showed"
xdotool windowfocus --sync "$email" key Escape
sleep 0.5
kill -0 $pid || fail "the program ended"

/usr/bin/python3 - "$out" <<'PY'
import sys
from PIL import Image
out = sys.argv[1]
original = Image.open(out + "/pictures/photo.png").convert("RGB")
jpeg = Image.open(out + "/result.jpg")
gif = Image.open(out + "/result.gif")
assert jpeg.format == "JPEG" and jpeg.size == original.size, (jpeg.format, jpeg.size)
assert gif.format == "GIF" and gif.size == original.size, (gif.format, gif.size)
webp = Image.open(out + "/result.webp")
assert webp.format == "WEBP" and webp.size == original.size, (webp.format, webp.size)
# Each is the picture: on average each channel near the original's (the
# JPEG and the WebP lose a little).
for name, picture in (("JPEG", jpeg), ("GIF", gif), ("WebP", webp)):
    rgb = picture.convert("RGB")
    total = sum(abs(a - b) for p, q in zip(rgb.getdata(), original.getdata()) for a, b in zip(p, q))
    mean = total / (3 * original.size[0] * original.size[1])
    assert mean < 6, f"the {name} differs from the picture by {mean:.1f} levels on average"
    print(f"journey: the {name} is {mean:.2f} levels from the picture on average")
PY
