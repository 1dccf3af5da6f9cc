#!/bin/sh
# FLI/FLC animations: a short moving scene drawn as PNG pictures, turned into the host's
# frame files (zel frames) and written as FLI and FLC (zel flic, the REELPACK writer);
# ffmpeg then plays them back into a GIF and a contact sheet to look at.
set -e
: "${ZEL:?}" "${OUT:?}"
# Lower case only: frame files are opened under lower-cased names, as on the host.
work=/tmp/zel-demo-flic-$$
rm -rf "$work"; mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

scene() {  # scene W H FRAMES: numbered pictures pic000.png ... in $work/W
  w=$1; h=$2; n=$3; dir="$work/$w"; mkdir -p "$dir"
  i=0
  while [ $i -lt "$n" ]; do
    x=$((i * (w - 60) / (n - 1) + 30)); y=$((h / 2 + (i % 6 - 3) * h / 20))
    hue=$((i * 360 / n))
    convert -size "${w}x${h}" gradient:midnightblue-darkorange -swirl $((i * 12)) \
      -fill "hsl($hue,90%,55%)" -draw "circle $x,$y $((x + h / 8)),$y" \
      -fill "hsl($(( (hue + 180) % 360 )),80%,60%)" -draw "rectangle $((w - x - 20)),$((h / 6)) $((w - x + 20)),$((h / 6 + 30))" \
      -fill white -pointsize $((h / 10)) -annotate +10+$((h - 10)) "frame $i" \
      -depth 8 "$dir/$(printf 'pic%03d.png' $i)"
    i=$((i + 1))
  done
}

flic() {  # zel flic ARGS...: progress lines go to a log, the rest is shown
  "$ZEL" flic "$@" 2>"$work/flic.log" || { cat "$work/flic.log" >&2; exit 1; }
  grep -v '^Building' "$work/flic.log" || true
}

frames=24
scene 320 200 $frames
scene 400 240 $frames
"$ZEL" frames "$work/320/pic%03d.png" 0 $frames "$work/320/f" --histogram "$work/320/colours.bin"
flic "$work/320/f" 0 $frames "$OUT/demo.fli" --histogram "$work/320/colours.bin" --speed 5 --yes
"$ZEL" frames "$work/400/pic%03d.png" 0 $frames "$work/400/f"
flic "$work/400/f" 0 $frames "$OUT/demo.flc" --speed 5 --yes   # counts the colours itself

ffmpeg -v error -y -f flic -i "$OUT/demo.flc" "$OUT/demo-flc.gif"
ffmpeg -v error -y -f flic -i "$OUT/demo.fli" -vf "tile=5x5" -frames:v 1 "$OUT/demo-fli-sheet.png"
ffmpeg -v error -y -f flic -i "$OUT/demo.flc" -vf "tile=5x5" -frames:v 1 "$OUT/demo-flc-sheet.png"
echo "wrote $OUT/demo.fli (320x200 FLI) and $OUT/demo.flc (400x240 FLC), $frames frames each plus the ring frame"
echo "wrote $OUT/demo-flc.gif (the FLC as ffmpeg plays it) and contact sheets $OUT/demo-fli-sheet.png, $OUT/demo-flc-sheet.png"
