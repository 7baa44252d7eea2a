# Decodes a GIF with Pillow for the tests: one JSON line about the file, then
# the pixel indices as raw bytes.
import json
import sys

from PIL import Image

with Image.open(sys.argv[1]) as im:
    im.load()
    header = {
        "version": im.info.get("version", b"").decode("ascii"),
        "width": im.width,
        "height": im.height,
        "mode": im.mode,
        "palette": im.getpalette() or [],
        "transparency": im.info.get("transparency", -1),
    }
    data = im.tobytes()
sys.stdout.write(json.dumps(header) + "\n")
sys.stdout.flush()
sys.stdout.buffer.write(data)
