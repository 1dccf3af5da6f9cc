#!/bin/sh
# AVI writer: a short rendered-looking scene (PNG pictures made by ffmpeg: a slow fractal
# zoom of thousands of colours with two boxes moving over it) -> zel frames -> zel avi (the
# CLIPPACK writer) -> $OUT/demo.avi, then a contact sheet of every fourth frame as ffmpeg
# decodes the AVI.
set -e
: "${ZEL:?}" "${OUT:?}"
# Lower case only: frame files are opened under lower-cased names, as on the host.
work=/tmp/zel-demo-avi-$$
rm -rf "$work"; mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

ffmpeg -nostdin -v error -f lavfi -i "mandelbrot=size=320x200:rate=15:end_pts=60" \
  -f lavfi -i "color=c=yellow:size=40x40:rate=15" -f lavfi -i "color=c=navy:size=24x60:rate=15" \
  -filter_complex "[0][1]overlay=x='8+n*11':y='130-n*4'[a];[a][2]overlay=x='260-n*6':y=20" \
  -frames:v 24 -start_number 1 "$work/shot%03d.png"
"$ZEL" frames "$work/shot%03d.png" 1 25 "$work/frame" --histogram "$work/histogram.bin"
# Progress lines go to a log; the rest is shown.
"$ZEL" avi "$work/frame" 1 25 "$OUT/demo.flc" --histogram "$work/histogram.bin" --yes 2>"$work/avi.log" ||
  { cat "$work/avi.log" >&2; exit 1; }
grep -v '^Building' "$work/avi.log" || true
ffmpeg -nostdin -v error -y -i "$OUT/demo.avi" \
  -vf "select=not(mod(n\,4)),tile=3x2:padding=4:margin=4" -frames:v 1 "$OUT/demo-avi-sheet.png"
ffprobe -v error -count_frames -select_streams v \
  -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames -of compact=p=0 "$OUT/demo.avi"
echo "wrote $OUT/demo.avi ($(wc -c < "$OUT/demo.avi") bytes: 24 frames 320x200, Microsoft Video 1, 15 fps)"
echo "wrote $OUT/demo-avi-sheet.png (frames 0, 4, ... 20 as ffmpeg decodes the AVI)"
