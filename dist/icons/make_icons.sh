#!/usr/bin/env bash
# Renders the icon's PNG sizes from quorvex.svg, and the sheet of all sizes in
# docs/screenshots/icon.png. The PNGs are committed; run this only after changing the SVG.
# Needs rsvg-convert (Debian package librsvg2-bin), whose output is the same on every run.
set -euo pipefail
cd "$(dirname "$0")"

sizes=(16 32 48 64 128 256)
for n in "${sizes[@]}"; do
  rsvg-convert --width "$n" --height "$n" quorvex.svg --output "quorvex-$n.png"
done

# The sheet: every size at its own pixel size, side by side on a light and on a dark ground,
# as a menu would show them.
sheet=$(mktemp --suffix=.svg -p .)
trap 'rm -f "$sheet"' EXIT
{
  echo '<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"'
  echo '     width="632" height="560">'
  echo '  <rect width="632" height="280" fill="#f4f4f4"/>'
  echo '  <rect y="280" width="632" height="280" fill="#2e3440"/>'
  for ground in 0 280; do
    x=12
    for n in 256 128 64 48 32 16; do
      y=$((ground + 12 + (256 - n) / 2))
      echo "  <image x=\"$x\" y=\"$y\" width=\"$n\" height=\"$n\" xlink:href=\"quorvex-$n.png\"/>"
      x=$((x + n + 12))
    done
  done
  echo '</svg>'
} >"$sheet"
rsvg-convert "$sheet" --output ../../docs/screenshots/icon.png
