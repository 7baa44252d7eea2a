# Decodes a picture with Pillow for the tests: one JSON line about the file,
# then its pixels as raw bytes, converted to the mode named as the second
# argument when one is.
import json
import sys

from PIL import Image

with Image.open(sys.argv[1]) as im:
    im.load()
    transparency = im.info.get("transparency")
    if isinstance(transparency, bytes):
        transparency = list(transparency)
    header = {
        "format": im.format,
        "width": im.width,
        "height": im.height,
        "mode": im.mode,
        "interlace": int(im.info.get("interlace", 0)),
        "palette": (im.getpalette() or []) if im.mode == "P" else [],
        "transparency": transparency,
    }
    picture = im.convert(sys.argv[2]) if len(sys.argv) > 2 else im
    data = picture.tobytes()
sys.stdout.write(json.dumps(header) + "\n")
sys.stdout.flush()
sys.stdout.buffer.write(data)
