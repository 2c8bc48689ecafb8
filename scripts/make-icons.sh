#!/usr/bin/env bash
# Renders the program's icon, data/icons/hicolor/scalable/apps/*.svg, into the PNG sizes beside
# it (committed, so that building needs no SVG renderer) and records the SVG's hash in
# data/icons/source.sha256, which a test compares so that a changed SVG without new PNGs fails.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
command -v rsvg-convert > /dev/null || { echo "rsvg-convert is needed: apt-get install librsvg2-bin" >&2; exit 1; }
svg=$(ls hicolor/scalable/apps/*.svg)
name=$(basename "$svg" .svg)
for size in 16 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "hicolor/${size}x${size}/apps/$name.png"
done
sha256sum "$svg" > source.sha256
