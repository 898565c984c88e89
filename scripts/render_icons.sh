#!/usr/bin/env bash
# Renders the icon's PNG sizes from its drawing, app/resources/icons/quillfold.svg,
# into app/resources/icons/quillfold-<size>.png. Run after changing the drawing
# and commit the PNGs: the build only copies them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh librsvg2-bin

icons=app/resources/icons
for size in 32 64 128; do
  rsvg-convert --width "$size" --height "$size" "$icons/quillfold.svg" \
    --output "$icons/quillfold-$size.png"
done
