"""The benchmark cases: one job, done by Pictaron and by each peer tool.

Each case turns a PPM into one result file. Peers do not compute the same
pixels as Pictaron; each is asked for the same job with its own best-suited
command line. A tool missing from a case has no fair way to do that job.

To add a case, append a Case to CASES. Its commands() returns argv lists per
tool with "{in}" and "{out}" standing for the input PPM and the result file
("{in.png}" for the same pixels as a PNG stored without compression, for a
tool that reads no PPM; "{in.jpg}" for the camera's JPEG they were decoded
from; "{parts}" for the picture cut into four quarters, several arguments);
the picture's size is there for jobs that need pixel sizes. A case with folder
set writes several files: "{out}" is then a folder, made empty before each
run. A case with report_keys runs Pictaron once more with --json, untimed, and
shows those keys of its report (the trials a byte budget took).
"""

import math
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable, Dict, List, Optional

BENCH_DIR = Path(__file__).resolve().parent
PILLOW = ["/usr/bin/python3", str(BENCH_DIR / "pillow_job.py")]

# Every tool, in the order of the table's columns. The two Pictaron columns
# run the same program: once held to one thread, once with its default.
TOOLS = ["pictaron-1t", "pictaron", "cjpeg", "cwebp", "avifenc", "optipng", "gm", "convert", "vips",
         "vipsthumbnail", "pillow"]
PICTARON_TOOLS = ["pictaron-1t", "pictaron"]
TOOL_TITLES = {
    "pictaron-1t": "Pictaron 1 thread",
    "pictaron": "Pictaron",
    "cjpeg": "cjpeg",
    "cwebp": "cwebp",
    "avifenc": "avifenc",
    "optipng": "optipng",
    "gm": "gm",
    "convert": "convert",
    "vips": "vips",
    "vipsthumbnail": "vipsthumbnail",
    "pillow": "Pillow",
}

# Pictaron's 3x3 sharpen kernel at amount 5 (its slider at 0), rows top to
# bottom. The peers convolve with the same weights, normalised by their sum (7).
SHARPEN_KERNEL = [-1, 1, 0, 1, 5, 1, -1, 1, 0]
SHARPEN_TEXT = ",".join(str(k) for k in SHARPEN_KERNEL)
VIPS_SHARPEN_MASK = str(BENCH_DIR / "sharpen3x3.mat")
PICTARON_SHARPEN = "0"

# Contrast of the full run: Pictaron's +40 of -255..255 is about 16 %.
PICTARON_CONTRAST = "40"
MAGICK_CONTRAST = "0x16"
PILLOW_CONTRAST = "1.16"


@dataclass
class Picture:
    name: str
    path: Path
    width: int
    height: int

    @property
    def jpeg_path(self) -> Path:
        """The camera's JPEG the PPM was decoded from, copied by run.sh."""
        return self.path.with_suffix(".jpg")

    @property
    def png_path(self) -> Path:
        """The same pixels as a PNG stored without compression, made by run.sh."""
        return self.path.with_suffix(".png")

    @property
    def parts(self) -> List[Path]:
        """The picture's four quarters as PPMs, made by run.sh: a folder of pictures."""
        return sorted(self.path.parent.glob(f"{self.name}-parts/*.ppm"))

    def bitmap_bytes(self, width: Optional[int] = None, height: Optional[int] = None) -> int:
        """Bytes of a working bitmap (BGR rows padded to four bytes)."""
        w = self.width if width is None else width
        h = self.height if height is None else height
        return ((3 * w + 3) // 4 * 4) * h


@dataclass
class Target:
    """Pictaron single-threaded ÷ reference must be at most `ratio` (strictly
    below it when `strict`; no verdict, only the ratio, when None). The
    measure is the time or the result's bytes; the reference is one peer, the
    best peer, or Pictaron's single-threaded result of another case (`case`)
    on the same picture."""
    text: str
    ratio: Optional[float]
    peer: Optional[str] = None  # None: the fastest (smallest) peer of the case
    strict: bool = False
    measure: str = "time"       # or "bytes"
    case: Optional[str] = None


@dataclass
class Case:
    name: str
    title: str
    extension: str
    commands: Callable[[Picture], Dict[str, List[str]]]
    targets: List[Target] = field(default_factory=list)
    # The largest working bitmap of the job, for the memory target.
    largest_bitmap: Callable[[Picture], int] = field(default=lambda p: p.bitmap_bytes())
    # The job writes several files into the folder "{out}".
    folder: bool = False
    # Keys of Pictaron's --json report to show, from one more untimed run.
    report_keys: List[str] = field(default_factory=list)


def pictaron(*options: str) -> List[str]:
    return ["{pictaron}", "{in}", "-o", "{out}", *options]


# --- JPEG -------------------------------------------------------------------

def jpeg_baseline(p: Picture) -> Dict[str, List[str]]:
    return {
        "pictaron": pictaron("--quality", "80"),
        "cjpeg": ["cjpeg", "-quality", "80", "-baseline", "-outfile", "{out}", "{in}"],
        "gm": ["gm", "convert", "{in}", "-quality", "80", "{out}"],
        "convert": ["convert", "{in}", "-quality", "80", "{out}"],
        "vips": ["vips", "copy", "{in}", "{out}[Q=80]"],
        "pillow": PILLOW + ["jpeg", "{in}", "{out}"],
    }


def jpeg_progressive(p: Picture) -> Dict[str, List[str]]:
    return {
        "pictaron": pictaron("--quality", "80", "--progressive"),
        "cjpeg": ["cjpeg", "-quality", "80", "-baseline", "-progressive", "-outfile", "{out}", "{in}"],
        "gm": ["gm", "convert", "{in}", "-quality", "80", "-interlace", "Line", "{out}"],
        "convert": ["convert", "{in}", "-quality", "80", "-interlace", "Plane", "{out}"],
        "vips": ["vips", "copy", "{in}", "{out}[Q=80,interlace]"],
        "pillow": PILLOW + ["jpeg", "{in}", "{out}", "--progressive"],
    }


def jpeg_greyscale(p: Picture) -> Dict[str, List[str]]:
    return {
        "pictaron": pictaron("--quality", "80", "--greyscale"),
        "cjpeg": ["cjpeg", "-quality", "80", "-baseline", "-grayscale", "-outfile", "{out}", "{in}"],
        "gm": ["gm", "convert", "{in}", "-colorspace", "GRAY", "-quality", "80", "{out}"],
        "convert": ["convert", "{in}", "-colorspace", "Gray", "-quality", "80", "{out}"],
        "vips": ["vips", "colourspace", "{in}", "{out}[Q=80]", "b-w"],
        "pillow": PILLOW + ["jpeg", "{in}", "{out}", "--grey"],
    }


# --- GIF --------------------------------------------------------------------
# ImageMagick's "+dither" must come before "-colors": after it, the reduction
# has already run with the default (Riemersma) dither.

def gif_flat(p: Picture) -> Dict[str, List[str]]:
    return {
        "pictaron": pictaron("--format", "gif", "--colours", "256"),
        "gm": ["gm", "convert", "{in}", "+dither", "-colors", "256", "{out}"],
        "convert": ["convert", "{in}", "+dither", "-colors", "256", "{out}"],
        "vips": ["vips", "gifsave", "{in}", "{out}", "--dither", "0"],
        "pillow": PILLOW + ["gif", "{in}", "{out}", "--colours", "256"],
    }


def gif_dithered(p: Picture) -> Dict[str, List[str]]:
    return {
        "pictaron": pictaron("--format", "gif", "--colours", "256", "--dither"),
        "gm": ["gm", "convert", "{in}", "-dither", "-colors", "256", "{out}"],
        "convert": ["convert", "{in}", "-dither", "FloydSteinberg", "-colors", "256", "{out}"],
        "vips": ["vips", "gifsave", "{in}", "{out}", "--dither", "1"],
        "pillow": PILLOW + ["gif", "{in}", "{out}", "--colours", "256", "--dither"],
    }


# --- PNG, WebP and AVIF -------------------------------------------------------
# cwebp and avifenc use the libraries Pictaron encodes with, so their times are
# the encoders' own: Pictaron should add little to them. avifenc reads no PPM,
# so it gets the same pixels as a PNG stored without compression, whose
# decoding is a copy; it is told everything Pictaron sets: the aom encoder, one
# quantizer for the whole picture, 4:2:0, the speed and the thread count.

AVIF_QUALITY = 60
AVIF_SPEED = 6


def avif_quantizer(quality: int) -> int:
    """The AV1 quantizer (0 best .. 63) of a Pictaron quality (0 .. 100)."""
    return ((100 - quality) * 63 + 50) // 100


def webp_q80(p: Picture) -> Dict[str, List[str]]:
    return {
        "pictaron": pictaron("--quality", "80"),
        "cwebp": ["cwebp", "-quiet", "-q", "80", "-m", "4", "{in}", "-o", "{out}"],
        "vips": ["vips", "copy", "{in}", "{out}[Q=80]"],
        "pillow": PILLOW + ["webp", "{in}", "{out}"],
    }


def avif_q60(p: Picture) -> Dict[str, List[str]]:
    q = str(avif_quantizer(AVIF_QUALITY))
    return {
        "pictaron": pictaron("--quality", str(AVIF_QUALITY), "--speed", str(AVIF_SPEED)),
        "avifenc": ["avifenc", "-j", "1", "-c", "aom", "-s", str(AVIF_SPEED), "--min", q, "--max", q,
                    "-y", "420", "{in.png}", "{out}"],
    }


def png_lossless(p: Picture) -> Dict[str, List[str]]:
    return {
        "pictaron": pictaron(),
        "optipng": ["optipng", "-quiet", "-o2", "{in}", "-out", "{out}"],
        "pillow": PILLOW + ["png", "{in}", "{out}"],
    }


def png_indexed(p: Picture) -> Dict[str, List[str]]:
    """The pixels of gif-flat, in a PNG."""
    return {"pictaron": pictaron("--png-colours", "256")}


# --- Resize and sharpen (JPEG quality 80 out) ---------------------------------

def scaled(p: Picture, scale: float):
    return max(1, int(p.width * scale)), max(1, int(p.height * scale))


def resize(scale: float):
    def commands(p: Picture) -> Dict[str, List[str]]:
        w, h = scaled(p, scale)
        size = f"{w}x{h}"
        return {
            "pictaron": pictaron("--resize", size, "--filter", "lanczos3", "--quality", "80"),
            "gm": ["gm", "convert", "{in}", "-filter", "Lanczos", "-resize", size + "!", "-quality", "80", "{out}"],
            "convert": ["convert", "{in}", "-filter", "Lanczos", "-resize", size + "!", "-quality", "80", "{out}"],
            "vips": ["vips", "resize", "{in}", "{out}[Q=80]", str(scale), "--kernel", "lanczos3"],
            "pillow": PILLOW + ["resize", "{in}", "{out}", str(w), str(h)],
        }
    return commands


def sharpen(p: Picture) -> Dict[str, List[str]]:
    return {
        "pictaron": pictaron("--sharpen", PICTARON_SHARPEN, "--quality", "80"),
        "gm": ["gm", "convert", "{in}", "-convolve", SHARPEN_TEXT, "-quality", "80", "{out}"],
        "convert": ["convert", "{in}", "-convolve", SHARPEN_TEXT, "-quality", "80", "{out}"],
        "vips": ["vips", "conv", "{in}", "{out}[Q=80]", VIPS_SHARPEN_MASK, "--precision", "integer"],
        "pillow": PILLOW + ["sharpen", "{in}", "{out}"],
    }


# --- Targets and folder runs ----------------------------------------------------
# ImageMagick's jpeg:extent searches the quality for a size as --max-bytes does.

def jpeg_budget(p: Picture) -> Dict[str, List[str]]:
    """100 KB for the medium photo's 1680×1050 pixels, as much a pixel for others."""
    kilobytes = round(100 * p.width * p.height / (1680 * 1050))
    return {
        "pictaron": pictaron("--max-bytes", f"{kilobytes}k"),
        "convert": ["convert", "{in}", "-define", f"jpeg:extent={kilobytes}kb", "{out}"],
    }


def folder_run(jobs: int):
    """The four quarters of the picture into one folder, `jobs` at a time."""
    def commands(p: Picture) -> Dict[str, List[str]]:
        return {"pictaron": ["{pictaron}", "{parts}", "-o", "{out}/", "--quality", "80", "--jobs", str(jobs)]}
    return commands


# --- Responsive variants, from the camera's JPEG ------------------------------
# A variant run may decode a JPEG shrunk by its DCT scaling to twice the
# largest width; vips thumbnail (and vipsthumbnail) shrink on load too, vips
# resize does not. The peers' widths are bounded by an unreachable height.

THUMB_WIDTH = 1200
THUMB_QUALITY = "75"
VARIANT_WIDTHS = [480, 960, 1440]
# Pictaron's default quality of each format, and libvips' options for the same.
VARIANT_FORMATS = {"avif": "Q=60,effort=3", "webp": "Q=80", "jpg": "Q=80"}


def thumbnail_peers(p: Picture) -> Dict[str, List[str]]:
    return {
        "vipsthumbnail": ["vipsthumbnail", "{in.jpg}", "--size", f"{THUMB_WIDTH}x", "-o",
                          f"{{out}}/x.jpg[Q={THUMB_QUALITY}]"],
        "vips": ["vips", "resize", "{in.jpg}", f"{{out}}/x.jpg[Q={THUMB_QUALITY}]", str(THUMB_WIDTH / p.width),
                 "--kernel", "lanczos3"],
    }


def thumbnail_variant(p: Picture) -> Dict[str, List[str]]:
    return {"pictaron": ["{pictaron}", "{in.jpg}", "-o", "{out}/", "--widths", str(THUMB_WIDTH),
                         "--quality", THUMB_QUALITY], **thumbnail_peers(p)}


def thumbnail_resize(p: Picture) -> Dict[str, List[str]]:
    """The same job as an ordinary run, which decodes the whole picture."""
    height = round(p.height * THUMB_WIDTH / p.width)
    return {"pictaron": ["{pictaron}", "{in.jpg}", "-o", "{out}/x.jpg", "--resize", f"{THUMB_WIDTH}x{height}",
                         "--quality", THUMB_QUALITY], **thumbnail_peers(p)}


def variants(p: Picture) -> Dict[str, List[str]]:
    calls = [f"/usr/bin/vips thumbnail '{{in.jpg}}' '{{out}}/x-{w}.{ext}[{options}]' {w} --height 100000"
             for ext, options in VARIANT_FORMATS.items() for w in VARIANT_WIDTHS]
    return {
        "pictaron": ["{pictaron}", "{in.jpg}", "-o", "{out}/", "--widths", ",".join(map(str, VARIANT_WIDTHS)),
                     "--formats", "avif,webp,jpeg", "--speed", "6"],
        "vips": ["/bin/sh", "-c", " && ".join(calls)],
    }


# --- A full run: crop, rotate 7°, resize 50 %, contrast, sharpen, GIF 64 dithered

def full_run_geometry(p: Picture):
    """Crop 5 % off each side, turn by 7° (the canvas grows to hold the
    corners), then half of that size."""
    left, top = p.width // 20, p.height // 20
    right, bottom = p.width - left, p.height - top
    cw, ch = right - left, bottom - top
    a = math.radians(7)
    rw = round(cw * math.cos(a) + ch * math.sin(a))
    rh = round(cw * math.sin(a) + ch * math.cos(a))
    return (left, top, right, bottom), (cw, ch), (rw, rh), (rw // 2, rh // 2)


def full_run(p: Picture) -> Dict[str, List[str]]:
    (left, top, right, bottom), (cw, ch), _, (w, h) = full_run_geometry(p)
    crop = f"{cw}x{ch}+{left}+{top}"
    size = f"{w}x{h}"
    return {
        "pictaron": pictaron(
            "--format", "gif",
            "--crop", f"{left},{top},{right},{bottom}",
            "--rotate", "7",
            "--resize", size, "--filter", "lanczos3",
            "--contrast", PICTARON_CONTRAST,
            "--sharpen", PICTARON_SHARPEN,
            "--colours", "64", "--dither"),
        "gm": ["gm", "convert", "{in}", "-crop", crop, "+repage", "-background", "white", "-rotate", "7",
               "-filter", "Lanczos", "-resize", size + "!", "-contrast", "-convolve", SHARPEN_TEXT,
               "-dither", "-colors", "64", "{out}"],
        "convert": ["convert", "{in}", "-crop", crop, "+repage", "-background", "white", "-rotate", "7",
                    "-filter", "Lanczos", "-resize", size + "!", "-brightness-contrast", MAGICK_CONTRAST,
                    "-convolve", SHARPEN_TEXT, "-dither", "FloydSteinberg", "-colors", "64", "{out}"],
        "pillow": PILLOW + ["full", "{in}", "{out}", str(left), str(top), str(right), str(bottom),
                            "7", str(w), str(h), PILLOW_CONTRAST, "64"],
    }


def full_run_largest(p: Picture) -> int:
    _, _, (rw, rh), _ = full_run_geometry(p)
    return max(p.bitmap_bytes(), p.bitmap_bytes(rw, rh))


CASES: List[Case] = [
    Case("jpeg-q80", "JPEG q80 baseline", "jpg", jpeg_baseline,
         [Target("≤ 1.2× cjpeg", 1.2, "cjpeg")]),
    Case("jpeg-progressive", "JPEG q80 progressive", "jpg", jpeg_progressive,
         [Target("≤ 1.2× cjpeg", 1.2, "cjpeg")]),
    Case("jpeg-greyscale", "JPEG q80 greyscale", "jpg", jpeg_greyscale,
         [Target("≤ 1.2× cjpeg", 1.2, "cjpeg")]),
    Case("gif-flat", "GIF 256 flat", "gif", gif_flat,
         [Target("< fastest peer", 1.0, None, strict=True)]),
    Case("gif-dither", "GIF 256 Floyd–Steinberg", "gif", gif_dithered,
         [Target("< fastest peer", 1.0, None, strict=True)]),
    Case("resize-50", "Lanczos3 50 % → JPEG", "jpg", resize(0.5),
         [Target("< vips", 1.0, "vips", strict=True)]),
    Case("resize-200", "Lanczos3 200 % → JPEG", "jpg", resize(2.0),
         [Target("< Pillow", 1.0, "pillow", strict=True)],
         largest_bitmap=lambda p: p.bitmap_bytes(*scaled(p, 2.0))),
    Case("sharpen", "3×3 sharpen → JPEG", "jpg", sharpen,
         [Target("< vips", 1.0, "vips", strict=True)]),
    Case("full-run", "crop, rotate 7°, resize 50 %, contrast, sharpen, GIF 64 dithered", "gif", full_run,
         largest_bitmap=full_run_largest),
    Case("webp-q80", "WebP q80", "webp", webp_q80,
         [Target("≤ 1.1× cwebp", 1.1, "cwebp")]),
    Case("avif-q60", f"AVIF q{AVIF_QUALITY} speed {AVIF_SPEED}", "avif", avif_q60,
         [Target("≤ 1.1× avifenc", 1.1, "avifenc")]),
    Case("thumb-variant", f"JPEG → {THUMB_WIDTH} px JPEG q{THUMB_QUALITY}, --widths", "jpg", thumbnail_variant,
         [Target("≤ 1.0× vipsthumbnail", 1.0, "vipsthumbnail"), Target("time ÷ vips resize", None, "vips")],
         folder=True),
    Case("thumb-resize", f"JPEG → {THUMB_WIDTH} px JPEG q{THUMB_QUALITY}, --resize", "jpg", thumbnail_resize,
         [Target("time ÷ vipsthumbnail", None, "vipsthumbnail"), Target("time ÷ vips resize", None, "vips")],
         folder=True),
    Case("variants", "JPEG → 3 widths × AVIF, WebP, JPEG", "jpg", variants,
         [Target("< separate vips calls", 1.0, "vips", strict=True)], folder=True),
    Case("png-lossless", "PNG truecolour", "png", png_lossless,
         [Target("time ÷ optipng -o2", None, "optipng"), Target("time ÷ Pillow optimize", None, "pillow"),
          Target("bytes ÷ optipng -o2", None, "optipng", measure="bytes"),
          Target("bytes ÷ Pillow optimize", None, "pillow", measure="bytes")]),
    # Judged against gif-flat's result, which a run must include (--cases 'gif-flat|png').
    Case("png-indexed", "PNG 256 colours flat", "png", png_indexed,
         [Target("bytes ≤ GIF 256 flat", 1.0, measure="bytes", case="gif-flat")]),
    # Judged against jpeg-q80's time, which a run must include (--cases 'jpeg-q80|jpeg-100k').
    Case("jpeg-100k", "JPEG --max-bytes 100k (medium; as much a pixel)", "jpg", jpeg_budget,
         [Target("time ÷ convert jpeg:extent", None, "convert"), Target("time ÷ JPEG q80", None, case="jpeg-q80")],
         report_keys=["chosen", "trials", "bytes"]),
    # Judged on the default threads' column: one pinned CPU cannot run two at once.
    Case("folder-jobs1", "4 quarters → JPEG q80, --jobs 1", "jpg", folder_run(1), folder=True),
    Case("folder-jobs2", "4 quarters → JPEG q80, --jobs 2", "jpg", folder_run(2), folder=True),
]
