#!/usr/bin/python3
"""Writes the seed corpus of every fuzz target into OUT/<target>/.

Usage: fuzz/make_corpus.py TESTDATA OUT

Pictures come from the photos and the graphic in TESTDATA, made small (a few
kilobytes each) and written in every format the loader offers, plus some cut
short; palettes are made here, well formed, cut short and damaged. Nothing is
copied into the source tree: OUT is a build folder.
"""
import io
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

from PIL import Image

TARGETS = ("pictureloader", "palette_pal", "palette_act", "palette_gif", "gifwriter")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    testdata, out = sys.argv[1], sys.argv[2]
    for target in TARGETS:
        os.makedirs(os.path.join(out, target), exist_ok=True)
    written = {target: 0 for target in TARGETS}

    def put(target, name, data):
        with open(os.path.join(out, target, name), "wb") as f:
            f.write(data)
        written[target] += 1

    sources = []
    for name in ("small-photo.png", "flat-graphic.png", "medium-photo.jpg"):
        path = os.path.join(testdata, name)
        if os.path.exists(path):
            with Image.open(path) as picture:
                picture.draft("RGB", (64, 64))  # a JPEG decodes small at once
                sources.append((os.path.splitext(name)[0], picture.convert("RGB")))
    if not sources:  # no test pictures: a ramp of our own
        print(f"no test pictures in {testdata}; seeds from a ramp", file=sys.stderr)
        ramp = Image.new("RGB", (32, 32))
        ramp.putdata([(x * 8, y * 8, (x + y) * 4) for y in range(32) for x in range(32)])
        sources.append(("ramp", ramp))

    # The picture loader: the first byte picks the extension (0 none that
    # tells anything, 1 TGA, 2 PCD), the rest is the file.
    def picture(name, data, selector=0):
        put("pictureloader", name, bytes([selector]) + data)

    def encoded(image, fmt, **options):
        buffer = io.BytesIO()
        image.save(buffer, fmt, **options)
        return buffer.getvalue()

    # AVIF by its own encoder, where it is installed.
    avifenc = shutil.which("avifenc")

    def avif(image):
        with tempfile.TemporaryDirectory() as folder:
            source, target = os.path.join(folder, "in.png"), os.path.join(folder, "out.avif")
            image.save(source)
            subprocess.run([avifenc, "-s", "10", source, target], check=True, capture_output=True)
            with open(target, "rb") as file:
                return file.read()

    gifs = []
    for base, image in sources:
        for size in ((16, 12), (37, 5)):
            small = image.resize(size)
            tag = f"{base}-{size[0]}x{size[1]}"
            picture(f"{tag}.ppm", encoded(small, "PPM"))
            picture(f"{tag}.pgm", encoded(small.convert("L"), "PPM"))
            picture(f"{tag}.pbm", encoded(small.convert("1"), "PPM"))
            picture(f"{tag}.jpg", encoded(small, "JPEG", quality=80))
            picture(f"{tag}-grey.jpg", encoded(small.convert("L"), "JPEG", quality=80))
            picture(f"{tag}-progressive.jpg", encoded(small, "JPEG", quality=60, progressive=True))
            picture(f"{tag}-cmyk.jpg", encoded(small.convert("CMYK"), "JPEG", quality=80))
            picture(f"{tag}.png", encoded(small, "PNG"))
            picture(f"{tag}-alpha.png", encoded(small.convert("RGBA"), "PNG"))
            picture(f"{tag}-palette.png", encoded(small.quantize(16), "PNG"))
            gif = encoded(small.quantize(32), "GIF")
            gifs.append((tag, gif))
            picture(f"{tag}.gif", gif)
            picture(f"{tag}.bmp", encoded(small, "BMP"))
            picture(f"{tag}.pcx", encoded(small, "PCX"))
            picture(f"{tag}.tif", encoded(small, "TIFF"))
            picture(f"{tag}.tga", encoded(small, "TGA"), selector=1)
            picture(f"{tag}-rle.tga", encoded(small, "TGA", compression="tga_rle"), selector=1)
            try:
                picture(f"{tag}.webp", encoded(small, "WEBP", quality=50))
                picture(f"{tag}-alpha.webp", encoded(small.convert("RGBA"), "WEBP", lossless=True))
            except (KeyError, OSError):
                pass  # Pillow without WebP
            if avifenc:
                picture(f"{tag}.avif", avif(small))
                picture(f"{tag}-alpha.avif", avif(small.convert("RGBA")))
        # Tags: EXIF (turned a quarter), XMP and a profile in each container
        # that carries them, so the chunk and marker readers start from
        # well-formed blocks.
        small = image.resize((20, 14))
        exif = Image.Exif()
        exif[0x0112] = 6
        exif[0x013B] = "An Artist"
        exif = exif.tobytes()
        xmp = (b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
               b'<rdf:Description xmlns:tiff="http://ns.adobe.com/tiff/1.0/" tiff:Orientation="6"/></rdf:RDF></x:xmpmeta>')
        from PIL import PngImagePlugin
        for zip_xmp in (False, True):
            info = PngImagePlugin.PngInfo()
            info.add_itxt("XML:com.adobe.xmp", xmp.decode(), zip=zip_xmp)
            picture(f"{base}-tags{'-zip' if zip_xmp else ''}.png", encoded(small, "PNG", pnginfo=info, exif=exif))
        picture(f"{base}-tags.jpg", encoded(small, "JPEG", quality=70, exif=exif))
        try:
            picture(f"{base}-tags.webp", encoded(small, "WEBP", quality=50, exif=exif, xmp=xmp))
        except (KeyError, OSError, TypeError):
            pass  # Pillow without WebP, or without XMP for it
        # Cut short: headers that promise more than follows.
        small = image.resize((24, 24))
        for fmt, ext in (("PPM", "ppm"), ("JPEG", "jpg"), ("PNG", "png"), ("BMP", "bmp")):
            data = encoded(small, fmt)
            for keep in (len(data) // 2, 40):
                picture(f"{base}-cut{keep}.{ext}", data[:keep])
    # Headers of pictures larger than the data behind them, or the limit.
    picture("huge.ppm", b"P6\n60000 60000\n255\n" + bytes(64))
    picture("wide.ppm", b"P6 4000000000 1 255\n" + bytes(64))
    picture("maxval.ppm", b"P6\n2 2\n65535\n" + bytes(24))
    picture("tiny.tga", struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 2, 2, 24, 0) + bytes(12), selector=1)

    # Palettes.
    rng = random.Random(7)
    colours = [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(256)]

    def jasc(count, entries, newline):
        lines = ["JASC-PAL", "0100", str(count)] + [f"{r} {g} {b}" for r, g, b in entries]
        return (newline.join(lines) + newline).encode("latin-1")

    put("palette_pal", "jasc-16-lf.pal", jasc(16, colours[:16], "\n"))
    put("palette_pal", "jasc-256-crlf.pal", jasc(256, colours, "\r\n"))
    put("palette_pal", "jasc-short.pal", jasc(20, colours[:7], "\n"))
    put("palette_pal", "jasc-zero.pal", jasc(0, [], "\n"))
    put("palette_pal", "jasc-two-fields.pal", b"JASC-PAL\n0100\n2\n1 2\n3  4\n")
    put("palette_pal", "jasc-no-end.pal", jasc(3, colours[:3], "\n")[:-1])

    def riff(count, entries):
        data = struct.pack("<HH", 0x300, count) + b"".join(struct.pack("BBBB", r, g, b, 0) for r, g, b in entries)
        chunk = b"data" + struct.pack("<I", len(data)) + data
        return b"RIFF" + struct.pack("<I", 4 + len(chunk)) + b"PAL " + chunk

    put("palette_pal", "riff-16.pal", riff(16, colours[:16]))
    put("palette_pal", "riff-256.pal", riff(256, colours))
    put("palette_pal", "riff-short.pal", riff(200, colours[:10]))
    put("palette_pal", "riff-header-only.pal", riff(4, [])[:23])
    put("palette_pal", "riff-zero.pal", riff(0, []))

    act = b"".join(bytes(c) for c in colours)
    put("palette_act", "full.act", act)
    put("palette_act", "with-count.act", act + struct.pack(">HH", 200, 0xFFFF))
    put("palette_act", "short.act", act[:100])
    put("palette_act", "one-byte.act", act[:1])

    for tag, gif in gifs[:4]:
        put("palette_gif", f"{tag}.gif", gif)
        put("palette_gif", f"{tag}-table-cut.gif", gif[:13 + 20])
    put("palette_gif", "header-only.gif", b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0xF7, 0, 0))
    put("palette_gif", "no-table.gif", b"GIF87a" + struct.pack("<HHBBB", 1, 1, 0x00, 0, 0) + b";")
    put("palette_gif", "cut-screen.gif", b"GIF89a\x01\x00")

    # The GIF writer makes its picture from the bytes (see gifwriter_fuzz.cpp):
    # size, colour count, palette and transparency from the end of the input,
    # the pixels from its front. Seeds: pixels and palettes of the test
    # pictures, noise, and long runs.
    for base, image in sources:
        quantized = image.resize((48, 32)).quantize(64)
        put("gifwriter", f"{base}-pixels", bytes(quantized.getdata()) + bytes(quantized.getpalette()[:192]))
    for i in range(4):
        put("gifwriter", f"noise-{i}", bytes(rng.randrange(256) for _ in range(64 << i)))
    put("gifwriter", "runs", bytes([i // 64 for i in range(4096)]))

    for target in TARGETS:
        print(f"{target}: {written[target]} seeds")


if __name__ == "__main__":
    main()
