#!/usr/bin/env bash
# Regenerates the raster pictures in app/resource and the package's icons from our own drawings
# (needs imagemagick and librsvg2-bin).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
res=$here/../app/resource
convert -background none "$here/artwork/logo.svg" "$res/Moru-Desk.png"
convert -background none "$here/artwork/icon.svg" -define icon:auto-resize=64,48,32,16 "$res/moru.ico"
convert -size 1280x720 gradient:'#e8f4fb'-'#9fc9e6' \
    \( -size 1280x720 xc:none -fill 'rgba(255,255,255,0.18)' \
       -draw 'circle 1050,120 1050,420' -draw 'circle 180,650 180,860' \) \
    -composite -quality 88 "$res/background.jpg"
# The menu icon of the package, at the sizes desktops look for (the SVG itself is the scalable one).
for size in 16 24 32 48 64 128 256; do
    mkdir -p "$here/../packaging/icons/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" "$here/artwork/icon.svg" -o "$here/../packaging/icons/${size}x${size}/moru-desk.png"
done
