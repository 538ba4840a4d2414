#!/usr/bin/env bash
# Renders the icon resources/icons/tolvarine.svg into the PNG sizes that the window
# icon and the desktop's hicolor theme use. The PNGs are committed, so that building
# needs no SVG renderer; run this after changing the SVG (needs librsvg2-bin).
set -euo pipefail
icons=$(cd "$(dirname "$0")/../resources/icons" && pwd)
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "$icons/tolvarine-$size.png" "$icons/tolvarine.svg"
done
