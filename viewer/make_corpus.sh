#!/bin/sh
# Makes the image corpus for the viewer's comparison with ImageMagick under DIR (not
# committed): files written by ImageMagick (convert) and by giflib's gifbuild, and
# DIR/manifest.txt, one line per file: NAME NOTES, where NOTES are comma-separated
#   gif6        GIF colours keep their upper six bits
#   interlaced  rows stay in stored (interlaced) order
#   first       only the first image of an animation is shown
#   reject      the viewer refuses the file
#   near1       components may differ by 1 (bit-field scaling)
#   -           none
set -e
dir=$1
[ -n "$dir" ] || { echo "usage: make_corpus.sh DIR" >&2; exit 2; }
if [ -f "$dir/.done" ]; then exit 0; fi
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"
m=manifest.txt
: > $m
im() { convert "$@"; }
add() { echo "$1 $2" >> $m; }

# Pictures to start from: photo-like (plasma), flat colour (shapes), a small gradient.
im -seed 7 -size 200x120 plasma:steelblue-orange -depth 8 photo.png
im -size 200x120 xc:white -fill red -draw "rectangle 10,10 90,60" -fill navy -draw "circle 140,70 170,100" \
   -fill green -draw "polygon 20,110 60,70 100,110" -depth 8 flat.png
im -size 13x7 gradient:yellow-purple -depth 8 small.png

# GIF: sizes, colour counts (minimum code sizes 2..8), interlace, animation, extensions.
im -size 1x1 xc:"#ff8001" g-1x1.gif;                                           add g-1x1.gif gif6
im small.png -colors 4 g-13x7.gif;                                             add g-13x7.gif gif6
n=2
for bits in 1 2 3 4 5 6 7 8; do
  im photo.png -colors $n g-colors$n.gif;                                      add g-colors$n.gif gif6
  n=$((n * 2))
done
im -seed 3 -size 1024x1024 plasma:red-blue -colors 256 g-photo-1024.gif;      add g-photo-1024.gif gif6
im flat.png -scale 1024x1024! -colors 8 g-flat-1024.gif;                       add g-flat-1024.gif gif6
im -size 1025x4 xc:red g-1025.gif;                                             add g-1025.gif reject
im photo.png -colors 64 -interlace GIF g-interlaced.gif;                       add g-interlaced.gif gif6,interlaced
im -delay 10 photo.png flat.png small.png -scale 200x120! -colors 32 g-anim.gif; add g-anim.gif gif6,first
im flat.png -colors 16 -comment "made for the viewer corpus" g-comment.gif;    add g-comment.gif gif6

# giflib's gifbuild: a GIF87a file (no extensions) and one whose image carries a local
# colour table (the same colours as the global one, so the pictures agree).
map='rgb 0 0 0 is a
rgb 255 128 1 is b
rgb 20 200 90 is c
rgb 250 250 250 is d
end'
raster='image bits 6 by 4
abcdab
bcdabc
cdabcd
dabcda'
printf 'screen width 6\nscreen height 4\nscreen colors 4\nscreen map\n%s\nimage\n%s\n' "$map" "$raster" | gifbuild > g-87a.gif
add g-87a.gif gif6
printf 'screen width 6\nscreen height 4\nscreen colors 4\nscreen map\n%s\nimage\nimage map\n%s\n%s\n' \
  "$map" "$map" "$raster" | gifbuild > g-local.gif
add g-local.gif gif6

# TGA: uncompressed and run-length, 24 and 32 bits, both origins; colour-mapped is refused.
im photo.png t-24.tga;                                                         add t-24.tga -
im photo.png -orient TopLeft t-24-top.tga;                                     add t-24-top.tga -
im flat.png -type TrueColor -compress RLE t-24-rle.tga;                        add t-24-rle.tga -
im photo.png -alpha set t-32.tga;                                              add t-32.tga -
im flat.png -type TrueColorAlpha -compress RLE -orient TopLeft t-32-rle-top.tga;   add t-32-rle-top.tga -
im flat.png -colors 16 -compress RLE t-mapped.tga;                             add t-mapped.tga reject

# BMP: 1, 4, 8, 24 bits and RLE8 with the 40-byte header; the 124-byte header at 24 bits,
# and bit fields at 16 (5-6-5) and 32 bits.
im photo.png -colors 2 -type Palette BMP3:b-1.bmp;                             add b-1.bmp -
im photo.png -colors 16 -type Palette BMP3:b-4.bmp;                            add b-4.bmp -
im photo.png -colors 200 -type Palette -compress None BMP3:b-8.bmp;                          add b-8.bmp -
im flat.png -colors 16 -type Palette -compress RLE BMP3:b-rle8.bmp;            add b-rle8.bmp -
im photo.png BMP3:b-24.bmp;                                                    add b-24.bmp -
im small.png BMP3:b-24-odd.bmp;                                                add b-24-odd.bmp -
im photo.png b-v5-24.bmp;                                                      add b-v5-24.bmp -
im photo.png -define bmp:subtype=RGB565 b-565.bmp;                             add b-565.bmp near1
im photo.png -alpha set b-v5-32.bmp;                                           add b-v5-32.bmp -
rm -f photo.png flat.png small.png
touch .done
