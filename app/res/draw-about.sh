#!/usr/bin/env bash
# Redraws the about picture (about.jpg, 218 x 107) and the program icon
# (korvane.ico, 16/32/48 px) beside this script with ImageMagick.
# Shapes are drawn at four times the final size and scaled down, which
# gives clean anti-aliased edges at the small final sizes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Renders MVG whose coordinates span UNITS across the width into a
# transparent W x H picture: render W H UNITS MVG OUT
render() {
  local w=$1 h=$2 units=$3 mvg=$4 out=$5 s
  s=$(awk -v w="$w" -v u="$units" 'BEGIN { printf "%.6f", 4 * w / u }')
  convert -size "$((w * 4))x$((h * 4))" xc:none \
    -draw "scale $s,$s $mvg" \
    -filter Box -resize "${w}x${h}!" "$out"
}

# Line primitives along a chain of cubic Bezier segments, because this
# ImageMagick closes open stroked paths: curve X0 Y0 (X1 Y1 X2 Y2 X3 Y3)...
curve() {
  awk -v pts="$*" 'BEGIN {
    n = split(pts, p, " "); px = p[1]; py = p[2]
    for (k = 3; k + 5 <= n; k += 6)
      for (i = 1; i <= 24; i++) {
        t = i / 24; u = 1 - t
        x = u*u*u*px0(k) + 3*u*u*t*p[k] + 3*u*t*t*p[k+2] + t*t*t*p[k+4]
        y = u*u*u*py0(k) + 3*u*u*t*p[k+1] + 3*u*t*t*p[k+3] + t*t*t*p[k+5]
        printf " line %.2f,%.2f %.2f,%.2f", px, py, x, y; px = x; py = y
      }
  }
  function px0(k) { return k == 3 ? p[1] : p[k-2] }
  function py0(k) { return k == 3 ? p[2] : p[k-1] }'
}

# The about picture: a laptop joined by a cable to a handheld.
about="
  fill #e4eaf1 stroke none
  ellipse 66,85 62,5 0,360
  ellipse 182,94 22,3 0,360

  fill none stroke #5a6d82 stroke-width 2 stroke-linecap round
  $(curve 129 77.5 146 77.5 140 100 160 100 176 100 182 100 182 96)
  stroke none
  fill #8a97a6 roundrectangle 123,75.5 130,79.5 1,1
  fill #8a97a6 roundrectangle 179.5,89 184.5,96 1,1

  fill #34495e roundrectangle 22,10 112,72 4,4
  fill #4ea6e0 rectangle 26.5,14.5 107.5,67.5
  fill #ffffff roundrectangle 34,21 100,61 1.5,1.5
  fill #2d7fc1 rectangle 34,21 100,27
  fill #ffffff circle 96,24 96,25.2
  fill #4ea6e0 rectangle 38,31 43,35.5
  fill #4ea6e0 rectangle 38,38.5 43,43
  fill #cfd8e2 rectangle 38,46 43,50.5
  fill #cfd8e2 rectangle 38,53.5 43,58
  fill #cfdcea rectangle 46,32 86,34.5
  fill #cfdcea rectangle 46,39.5 80,42
  fill #cfdcea rectangle 46,47 90,49.5
  fill #cfdcea rectangle 46,54.5 76,57
  fill #c8d1db polygon 12,72 122,72 127,80 7,80
  fill #97a4b3 roundrectangle 7,79 127,83 2,2
  fill #aeb9c6 roundrectangle 54,72 80,74.5 1,1

  fill #2c3e50 roundrectangle 166,16 198,90 6,6
  fill #46596d roundrectangle 177,19.5 187,21.5 1,1
  fill #8fd0f2 rectangle 170,24 194,50
  fill #ffffff rectangle 172,27 192,30
  fill #d9f0fc rectangle 172,33 188,35
  fill #d9f0fc rectangle 172,38 190,40
  fill #d9f0fc rectangle 172,43 185,45
  fill #5b6f84 roundrectangle 170,53 176,58 1.5,1.5
  fill #5b6f84 roundrectangle 188,53 194,58 1.5,1.5
  fill #7f93a8 circle 182,55.5 182,58.5
  fill #46596d
  roundrectangle 170,62 176,66 1,1 roundrectangle 179,62 185,66 1,1 roundrectangle 188,62 194,66 1,1
  roundrectangle 170,68 176,72 1,1 roundrectangle 179,68 185,72 1,1 roundrectangle 188,68 194,72 1,1
  roundrectangle 170,74 176,78 1,1 roundrectangle 179,74 185,78 1,1 roundrectangle 188,74 194,78 1,1
  roundrectangle 170,80 176,84 1,1 roundrectangle 179,80 185,84 1,1 roundrectangle 188,80 194,84 1,1
"
render 218 107 218 "$about" "$tmp/about.png"
convert -size 218x107 xc:'#f5f7fa' "$tmp/about.png" -composite \
  -strip -sampling-factor 1x1 -quality 92 "$here/about.jpg"

# The icon: a handheld whose screen shows a "K", drawn in 48-unit
# coordinates. The small sizes get a bolder face with a plain key bar.
letter='fill none stroke #ffffff stroke-linecap round'
icon48="fill #2c3e50 roundrectangle 11,2 37,46 6,6
  fill #4ea6e0 rectangle 14.5,6 33.5,27
  $letter stroke-width 3.2 line 20,10 20,23 line 28.5,10 20.5,17.5 line 20.5,17.5 28.5,23
  stroke none fill #6f8499
  roundrectangle 15,30.5 20,33.5 1,1 roundrectangle 28,30.5 33,33.5 1,1
  circle 24,32 24,34
  fill #8fa3b7
  roundrectangle 15,36 20,38.5 1,1 roundrectangle 21.5,36 26.5,38.5 1,1 roundrectangle 28,36 33,38.5 1,1
  roundrectangle 15,40.5 20,43 1,1 roundrectangle 21.5,40.5 26.5,43 1,1 roundrectangle 28,40.5 33,43 1,1"
icon_small="fill #2c3e50 roundrectangle 9,1 39,47 7,7
  fill #4ea6e0 rectangle 13,5 35,34
  $letter stroke-width 5 line 19.5,10 19.5,29 line 30,10 20.5,19.5 line 20.5,19.5 30,29
  stroke none fill #8fa3b7 roundrectangle 15,38 33,42 1.5,1.5"
render 48 48 48 "$icon48" "$tmp/i48.png"
render 32 32 48 "$icon_small" "$tmp/i32.png"
render 16 16 48 "$icon_small" "$tmp/i16.png"
convert "$tmp/i16.png" "$tmp/i32.png" "$tmp/i48.png" "$here/korvane.ico"
