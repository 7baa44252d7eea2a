#!/usr/bin/env bash
# The real program on a virtual X display, driven by keys and clicks from
# outside as a person drives it: open a picture through the Open dialog,
# apply, save as JPEG through Save As, switch to GIF, apply and save again,
# switch to WebP with its key, apply and save again; then change options on
# three pages (Flip, Resize with a typed width, Brightness) and save that;
# reach the email dialog from the About box. A second start types a colour
# into each colour entry (corner, button line, caption, transparent), opens
# the colour picker from the transparent colour's entry, opens its Zoom
# window and picks a colour from its grid with a click, chooses a zoom from
# the result's zoom list (its effect read from a screenshot), and saves the
# GIF. Every file written is read back by an independent decoder (Pillow),
# and its pixels show each change.
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

# Starts the program and waits for its main window, focused.
start_program() {
    QT_QPA_PLATFORM=xcb "$program" >> "$out/program.log" 2>&1 &
    pid=$!
    main=$(window_named '^Pictaron$') || fail "the main window never showed"
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    sleep 1
}
stop_program() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
open_picture() {
    key ctrl+o
    answer_file_dialog '^Open$' "$1"
    sleep 1
}
# Clicks at a point of a window (its own coordinates): a press and a release.
click_in() { xdotool mousemove --window "$1" "$2" "$3" sleep 0.2 click 1; sleep 0.4; }
# Waits until no visible window has the title, within 10 s.
wait_closed() {
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 || return 0
        sleep 0.2
    done
    fail "$2"
}

start_program
trap stop_program EXIT

step "open a picture through the Open dialog"
open_picture "$out/pictures/photo.png"

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

# The pages are changed with Ctrl+Tab from a button or box on them (in an
# edit box it moves to the next field), and their controls reached with Tab
# (a disabled frame's controls take no focus) or their keys; each page is
# entered at its first control. Ctrl+A is Save As only outside an edit box,
# where it selects the text.
step "Rotate page: Flip; Size page: Resize, Keep Ratio and a typed width; Brightness page: Brightness with Page Up"
key alt+j                   # JPEG again, the focus on its button
key ctrl+Tab Tab space      # Rotate; past Rotate to Flip Top to Bottom
key ctrl+Tab space          # Size; Resize fills in 160 by 120
key Tab Tab space           # past the method to Keep Ratio
key Tab End BackSpace BackSpace BackSpace 8 0   # the width: 80, the height follows
key Tab Tab                 # past the height to Crop
key ctrl+Tab ctrl+Tab space # Effects, then Brightness, Contrast; Brightness
key Tab Prior               # its track bar, a page up: 50
key alt+a
key_until_window ctrl+a 'Save File As'
answer_file_dialog 'Save File As' "$out/options"
wait_for_file "$out/options.jpg"

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
stop_program

step "a second start: a colour typed into each colour entry"
start_program
open_picture "$out/pictures/photo.png"
key alt+j                   # the focus into the pages
key ctrl+Tab alt+r          # Rotate; checking it puts the focus on the angle
key 3 0 Tab Tab             # 30 degrees; past Right to the corner colour
key f f 0 0 0 0 Tab         # red corners; on to Flip
key ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab space   # Buttonize
key Tab Tab                 # past the width to the line colour
key 0 0 0 0 f f Tab Tab     # a blue line; past Highlight to Fade
key ctrl+Tab space          # Caption: Add Caption
key Tab                     # the caption's text
xdotool windowfocus --sync "$main" type --delay 30 "HELLO"
key Tab Tab                 # past Select Font to the caption's colour
key 0 0 f f 0 0 shift+Tab   # green text; back to Select Font
key ctrl+Tab                # Graphic Format
key alt+g
key space
key alt+t                   # Transparent (a key's click comes a moment later,
key Tab                     # and enables the colour): its colour
key 1 2 3 4 5 6             # a colour typed, which the picker replaces

step "the colour picker from the transparent colour's entry: its Zoom window, then a colour from its grid"
key ctrl+Return
picker=$(window_named '^Color Picker$') || fail "Ctrl+Enter in the colour entry opened no picker"
sleep 1
# The dialog's controls stand where it places them: the Zoom button at
# (40, 404) and OK at (109, 404), 28 high; the grid at (17, 68), whose cell
# (column, row) starts 2 + 13 * column, 2 + 13 * row inside it.
click_in "$picker" 54 418
zoom=$(window_named '^Zoom$') || fail "the Zoom window never showed"
xdotool windowfocus --sync "$zoom" key Escape
wait_closed '^Zoom$' "Escape did not close the Zoom window"
# Web-safe entry 35 (column 3, row 2) is 255,0,0: the corners' red.
click_in "$picker" $((17 + 2 + 13 * 3 + 5)) $((68 + 2 + 13 * 2 + 5))
click_in "$picker" 140 418
wait_closed '^Color Picker$' "OK did not close the picker"

step "apply, zoom the result with the zoom list, and save the GIF"
key shift+Tab alt+a         # from the entry back to Transparent; apply
# The zoom list stands at the right end of the result's black label row once
# a run has shown its result: found in the window's pixels, as a person
# finds it by eye.
find_zoom_list() {
    gm import -window "$main" "$out/before-zoom.png"
    /usr/bin/python3 - "$out/before-zoom.png" <<'PY'
import sys
from PIL import Image
shot = Image.open(sys.argv[1]).convert("RGB")
w, h = shot.size
dark = lambda p: max(p) < 40
column = w - 3  # the label's black shows right of the list
rows = [y for y in range(h // 4, h) if dark(shot.getpixel((column, y)))]
if not rows:
    sys.exit("no black label row at the right of the window")
top = rows[0]
bottom = top
while bottom + 1 < h and dark(shot.getpixel((column, bottom + 1))):
    bottom += 1
y = (top + bottom) // 2
x = column
while x > w // 2 and dark(shot.getpixel((x, y))):
    x -= 1
right = x
if right <= w // 2:
    sys.exit(1)  # all black: no list yet
while x > w // 2 and not dark(shot.getpixel((x, y))):
    x -= 1
print((x + right) // 2, y)
PY
}
zoom_at=
for _ in $(seq 1 40); do
    sleep 0.5
    zoom_at=$(find_zoom_list 2>/dev/null) && break
done
[ -n "$zoom_at" ] || fail "the zoom list never showed"
sleep 1  # the result shown with it
find_zoom_list > /dev/null
read -r zoom_x zoom_y <<< "$zoom_at"
click_in "$main" "$zoom_x" "$zoom_y"
xdotool key Down Down Down Return   # in the open list: from 100% to 400%
sleep 1
gm import -window "$main" "$out/after-zoom.png"
/usr/bin/python3 - "$out" "$zoom_y" <<'PY' || fail "the zoom list did not magnify the result"
import sys
from PIL import Image
out, label = sys.argv[1], int(sys.argv[2])
# The result's panel shows its grey around a small picture, and none once
# the picture is four times as large as the panel.
def result_area(name):
    shot = Image.open(out + "/" + name).convert("RGB")
    w, h = shot.size
    # Right of the splitter, below the label row, inside the scroll bars.
    return list(shot.crop((w // 2 + 10, label + 20, w - 25, h - 25)).getdata()), shot.getpixel((w - 30, h - 30))
before, panel = result_area("before-zoom.png")  # its bottom right corner: the panel's grey
after, _ = result_area("after-zoom.png")
share = lambda pixels: sum(p == panel for p in pixels) / len(pixels)
print(f"journey: the panel's grey {panel} fills {share(before):.0%} of the result's area before the zoom, {share(after):.0%} after")
assert share(before) > 0.3 and share(after) < 0.05
PY
key_until_window ctrl+s 'Save File As'   # a first save asks for a name
answer_file_dialog 'Save File As' "$out/colours"
wait_for_file "$out/colours.gif"
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
def mean_difference(a, b):
    total = sum(abs(p - q) for x, y in zip(a.getdata(), b.getdata()) for p, q in zip(x, y))
    return total / (3 * a.size[0] * a.size[1])
# Each is the picture: on average each channel near the original's (the
# JPEG and the WebP lose a little).
for name, picture in (("JPEG", jpeg), ("GIF", gif), ("WebP", webp)):
    mean = mean_difference(picture.convert("RGB"), original)
    assert mean < 6, f"the {name} differs from the picture by {mean:.1f} levels on average"
    print(f"journey: the {name} is {mean:.2f} levels from the picture on average")

# Flip, a width of 80 with Keep Ratio, and a brightness of 50.
options = Image.open(out + "/options.jpg").convert("RGB")
assert options.size == (80, 60), f"Resize with Keep Ratio gave {options.size}, not 80 by 60"
reference = original.transpose(Image.Transpose.FLIP_TOP_BOTTOM).resize((80, 60), Image.Resampling.LANCZOS)
def mean_of(picture, box=None):
    data = list((picture.crop(box) if box else picture).getdata())
    return sum(sum(p) for p in data) / (3 * len(data))
# The green channel runs down the picture: flipped, the top is the greener.
top = sum(p[1] for p in options.crop((0, 0, 80, 10)).getdata()) / 800
bottom = sum(p[1] for p in options.crop((0, 50, 80, 60)).getdata()) / 800
assert top > bottom + 100, f"not flipped: green {top:.0f} at the top, {bottom:.0f} at the bottom"
gain = mean_of(options) - mean_of(reference)
assert 25 < gain < 60, f"Brightness 50 made the picture {gain:.1f} levels brighter on average"
print(f"journey: the options picture is 80 by 60, flipped, {gain:.1f} levels brighter")

# Rotated by 30 degrees with red corners, buttonized from a blue line,
# captioned in green, with red as the GIF's transparent colour; saved at the
# size made, although the view showed it at 400%.
colours = Image.open(out + "/colours.gif")
w, h = colours.size
assert colours.format == "GIF" and colours.size == original.size, (colours.format, colours.size)
palette = colours.getpalette()
index = colours.info.get("transparency")
assert index is not None, "the GIF has no transparent colour"
transparent = tuple(palette[3 * index:3 * index + 3])
assert transparent == (255, 0, 0), f"the transparent colour is {transparent}, not the red picked from the grid"
rgb = colours.convert("RGB")
def near(point, colour, tolerance=40):
    pixel = rgb.getpixel(point)
    assert all(abs(a - b) <= tolerance for a, b in zip(pixel, colour)), f"{point} is {pixel}, not near {colour}"
near((12, 12), (255, 0, 0))         # a corner uncovered by the rotation
near((w // 2, 1), (179, 179, 255))  # the top band: the line colour mixed with white
near((w - 2, h // 2), (0, 0, 77))   # the right band: mixed with black
assert colours.getpixel((12, 12)) == index, "the red corner is not the transparent colour"
green = [p for p in rgb.crop((w // 2 - 30, h // 2 - 10, w // 2 + 30, h // 2 + 10)).getdata()
         if p[1] > 180 and p[0] < 90 and p[2] < 90]
assert len(green) >= 5, f"only {len(green)} green pixels of the caption at the centre"
print(f"journey: the colours picture is {w} by {h}, red corners transparent, a blue bevel, {len(green)} green caption pixels")
PY
