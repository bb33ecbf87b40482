#!/usr/bin/env bash
# Renders the hand-written SVG pictures to the PNGs the windows load (Qt here has no SVG plugin).
set -euo pipefail
cd "$(dirname "$0")"
echo "Rendering window pictures with ImageMagick"
for name in keywarden logoff login hand keyhand; do
  convert -background none -density 96 "$name.svg" "png32:$name.png"
done
convert -background none -density 48 keywarden.svg -resize 16x16 png32:keywarden16.png
convert -background none -density 192 keywarden.svg -resize 64x64 png32:keywarden64.png
