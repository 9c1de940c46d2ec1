#!/usr/bin/env bash
# Renders the application icon desktop/icons/korav.svg to the PNG sizes that are installed
# beside it (desktop/icons/korav-48.png, korav-256.png). Run after changing the SVG and commit
# the pictures; needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../desktop/icons"
for size in 48 256; do
  rsvg-convert --width "$size" --height "$size" --format png korav.svg -o "korav-$size.png"
done
