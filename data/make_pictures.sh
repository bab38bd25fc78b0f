#!/usr/bin/env bash
# Draws the handset pictures of the information section (120 x 200 JPEG, one per model that
# has a picture). The pictures are committed; run this only to redraw them. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"

# file  label  body-colour  screen-colour  style (bar | flip | swivel)  antenna (0 | 1)
models=(
  "t722i.jpg T720i #3a4a6b #b8d8e8 flip 1"
  "c350.jpg  C350  #7a2e8e #c8e8c0 bar  0"
  "c450.jpg  C450  #1f6f5f #d8f0d0 bar  0"
  "c550.jpg  C550  #8e5a1e #e0e8f8 bar  0"
  "c33x.jpg  C330  #b0263a #f0f0c0 bar  1"
  "v60.jpg   V60   #8a8f96 #a8c8d8 flip 1"
  "v60i.jpg  V60i  #5c6470 #b8e0f0 flip 1"
  "v70.jpg   V70   #2b2b2b #90d0f0 swivel 0"
  "v66i.jpg  V66i  #6b7f3a #d0e8d8 flip 0"
  "v150.jpg  V150  #254a9e #e8e0c8 bar  1"
)

for row in "${models[@]}"; do
  read -r file label body screen style antenna <<<"$row"
  draw=()
  if [ "$antenna" = 1 ]; then draw+=(-fill "$body" -draw "roundrectangle 78,4 90,34 4,4"); fi
  case "$style" in
    bar)
      draw+=(-fill "$body" -draw "roundrectangle 22,18 98,176 18,18"
        -fill "$screen" -draw "rectangle 32,34 88,84"
        -fill '#dddddd' -draw "roundrectangle 42,92 78,103 5,5")
      for r in 0 1 2 3; do for c in 0 1 2; do
        x=$((40 + c * 20)); y=$((114 + r * 16))
        draw+=(-fill '#eeeeee' -draw "ellipse $x,$y 7,5 0,360")
      done; done
      ;;
    flip)
      draw+=(-fill "$body" -draw "roundrectangle 24,16 96,96 14,14"
        -fill "$screen" -draw "rectangle 34,28 86,78"
        -fill '#444444' -draw "rectangle 26,94 94,100"
        -fill "$body" -draw "roundrectangle 24,98 96,176 14,14")
      for r in 0 1 2 3; do for c in 0 1 2; do
        x=$((40 + c * 20)); y=$((114 + r * 16))
        draw+=(-fill '#e8e8e8' -draw "roundrectangle $((x - 7)),$((y - 4)) $((x + 7)),$((y + 4)) 3,3")
      done; done
      ;;
    swivel)
      draw+=(-fill "$body" -draw "ellipse 60,108 40,68 0,360"
        -fill '#c0c0c0' -draw "ellipse 60,66 34,30 0,360"
        -fill "$screen" -draw "ellipse 60,66 24,20 0,360")
      for r in 0 1 2; do for c in 0 1 2; do
        x=$((40 + c * 20)); y=$((116 + r * 18))
        draw+=(-fill '#dddddd' -draw "ellipse $x,$y 6,6 0,360")
      done; done
      ;;
  esac
  convert -size 120x200 xc:white "${draw[@]}" \
    -fill black -font DejaVu-Sans-Bold -pointsize 15 -gravity south -annotate +0+2 "$label" \
    -quality 88 -sampling-factor 4:2:0 -strip "$file"
done
