#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG. The PNGs are committed, so building
# Lumetra needs no SVG renderer: run this (apt-get install librsvg2-bin) after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../../data/icons/hicolor"

name=example.quillfeather.Lumetra
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "scalable/apps/$name.svg" -o "${size}x${size}/apps/$name.png"
done
