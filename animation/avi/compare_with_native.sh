#!/bin/sh
# compare_with_native.sh ZEL DIR: DIR holds frame files fr003..fr011, histogram.bin and
# wine.avi written by CLIPPACK.dll under Wine. The native `zel avi` must write the same bytes
# from the same frames, and ffmpeg must decode all nine frames.
ZEL="$1"; DIR="$2"
if [ ! -x "$ZEL" ]; then
  echo "native zel not found at $ZEL (build the native build first: scripts/build.sh native)" >&2
  exit 1
fi
"$ZEL" avi "$DIR/fr" 3 12 "$DIR/native.flc" --histogram "$DIR/histogram.bin" --no || exit 1
cmp "$DIR/wine.avi" "$DIR/native.avi" || exit 1
frames=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 "$DIR/wine.avi")
[ "$frames" = 9 ] || { echo "ffmpeg decoded $frames frames, expected 9" >&2; exit 1; }
echo "wine.avi and native.avi are identical ($(wc -c < "$DIR/wine.avi") bytes), 9 frames decoded"
