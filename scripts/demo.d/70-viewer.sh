#!/bin/sh
# The viewer's readers: sample images of each kind the viewer reads, made here with
# ImageMagick (GIF, TGA, BMP, RLE) and with our own FLC writer (a CEL file in the FLC
# layout), each loaded by `zel view` exactly as the viewer loads it and written out as the
# picture it paints; a contact sheet shows them side by side.
set -e
: "${ZEL:?}" "${OUT:?}"
work=/tmp/zel-demo-viewer-$$
rm -rf "$work"; mkdir -p "$work" "$OUT/viewer"
trap 'rm -rf "$work"' EXIT

convert -seed 11 -size 320x200 plasma:gold-teal -depth 8 "$work/photo.png"
convert -size 320x200 gradient:navy-skyblue -fill orange -draw "circle 110,100 110,40" \
  -fill crimson -draw "rectangle 190,40 290,160" -fill white -pointsize 22 -annotate +20+190 "Zel viewer" \
  -depth 8 "$work/flat.png"

convert "$work/photo.png" -colors 256 "$work/photo.gif"
convert "$work/flat.png" -colors 32 -interlace GIF "$work/interlaced.gif"
convert "$work/photo.png" -orient TopLeft "$work/photo.tga"
# ImageMagick writes a TGA's rows in the order it holds them and marks the file bottom row
# first; flipping first makes that mark true.
convert "$work/flat.png" -flip -type TrueColor -compress RLE "$work/flat-rle.tga"
convert "$work/photo.png" -colors 16 -type Palette -compress None BMP3:"$work/photo-4bit.bmp"
convert "$work/flat.png" -colors 64 -type Palette -compress RLE BMP3:"$work/flat.rle"
convert "$work/photo.png" "$work/photo-v5.bmp"

# A CEL in the FLC layout: the first frame of a short FLC written by REELPACK's writer
# (frames larger than 320x200 make it write FLC rather than FLI).
i=0
while [ $i -lt 3 ]; do
  convert "$work/flat.png" -resize 400x240! -roll +$((i * 20))+0 -depth 8 "$work/$(printf 'pic%03d.png' $i)"
  i=$((i + 1))
done
"$ZEL" frames "$work/pic%03d.png" 0 3 "$work/f" >/dev/null 2>&1
"$ZEL" flic "$work/f" 0 3 "$work/clip.flc" --yes >/dev/null 2>&1
cp "$work/clip.flc" "$work/clip.cel"

shots=""
for f in photo.gif interlaced.gif photo.tga flat-rle.tga clip.cel photo-4bit.bmp flat.rle photo-v5.bmp; do
  name=$(echo "$f" | tr . -)
  "$ZEL" view "$work/$f" -o "$OUT/viewer/$name.png" | head -1
  shots="$shots $OUT/viewer/$name.png"
done
# The bitmap the viewer holds for the RLE file, as a BMP file (the bits stay compressed).
"$ZEL" view "$work/flat.rle" --bmp "$OUT/viewer/flat-rle-held.bmp" >/dev/null
montage -label '%t' -pointsize 12 -tile 4x -geometry +6+6 -background '#ddd' $shots "$OUT/viewer-sheet.png"
echo "wrote $OUT/viewer/*.png (the pictures the viewer paints), $OUT/viewer/flat-rle-held.bmp and $OUT/viewer-sheet.png"
