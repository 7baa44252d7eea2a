"""Pillow's side of the benchmark: one job per call, PPM in, result file out.

    pillow_job.py jpeg IN OUT [--progressive] [--grey]
    pillow_job.py gif IN OUT --colours N [--dither]
    pillow_job.py png IN OUT
    pillow_job.py webp IN OUT
    pillow_job.py resize IN OUT WIDTH HEIGHT
    pillow_job.py sharpen IN OUT
    pillow_job.py full IN OUT LEFT TOP RIGHT BOTTOM DEGREES WIDTH HEIGHT CONTRAST COLOURS

JPEG results are quality 80. Colours are reduced with Pillow's fastest
quantizer, the fast octree: its default, median cut, takes about eight times
as long on a photograph. quantize() maps without dithering; a dithered GIF
takes the palette from that and maps again with Floyd–Steinberg. A PNG is
saved with optimize=True (zlib's level 9 and its best filter choice), a WebP
at quality 80 with libwebp's method 4, as cwebp -q 80 does.
"""

import sys

from PIL import Image, ImageEnhance, ImageFilter

SHARPEN = ImageFilter.Kernel((3, 3), [-1, 1, 0, 1, 5, 1, -1, 1, 0], scale=7)


def quantize(image, colours, dither):
    flat = image.quantize(colours, method=Image.Quantize.FASTOCTREE)
    if not dither:
        return flat
    return image.quantize(palette=flat, dither=Image.Dither.FLOYDSTEINBERG)


def main(argv):
    job, source, target, *rest = argv
    image = Image.open(source)
    image.load()
    if job == "jpeg":
        if "--grey" in rest:
            image = image.convert("L")
        image.save(target, "JPEG", quality=80, progressive="--progressive" in rest)
    elif job == "gif":
        colours = int(rest[rest.index("--colours") + 1])
        quantize(image, colours, "--dither" in rest).save(target, "GIF")
    elif job == "png":
        image.save(target, "PNG", optimize=True)
    elif job == "webp":
        image.save(target, "WEBP", quality=80, method=4)
    elif job == "resize":
        width, height = int(rest[0]), int(rest[1])
        image.resize((width, height), Image.Resampling.LANCZOS).save(target, "JPEG", quality=80)
    elif job == "sharpen":
        image.filter(SHARPEN).save(target, "JPEG", quality=80)
    elif job == "full":
        left, top, right, bottom, degrees, width, height = (int(v) for v in rest[:7])
        contrast, colours = float(rest[7]), int(rest[8])
        image = image.crop((left, top, right, bottom))
        # Clockwise, as Pictaron and ImageMagick turn.
        image = image.rotate(-degrees, Image.Resampling.BILINEAR, expand=True, fillcolor="white")
        image = image.resize((width, height), Image.Resampling.LANCZOS)
        image = ImageEnhance.Contrast(image).enhance(contrast)
        image = image.filter(SHARPEN)
        quantize(image, colours, True).save(target, "GIF")
    else:
        sys.exit(f"unknown job {job}")


if __name__ == "__main__":
    main(sys.argv[1:])
