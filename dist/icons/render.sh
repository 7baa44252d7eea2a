#!/usr/bin/env bash
# Renders the hicolor PNGs from pictaron.svg with GraphicsMagick. Run after
# changing the SVG and commit the PNGs; the build only copies them.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p png
for size in 16 22 24 32 48 64 128 256; do
  # Rasterise at four times the size, then scale down for smooth edges.
  gm convert -background none -density $((72 * size * 4 / 256)) pictaron.svg \
    -resize "${size}x${size}" "png32:png/pictaron-${size}.png"
done
