#!/bin/sh
# The viewer program as the host drives it: viewer_demo.exe starts viewer.exe under Wine,
# names a 24-bit TGA in MORVANE.INI and sends command 107, then a 64-colour GIF map and
# command 109, and photographs the window after each; both pictures side by side go to
# $OUT/viewer.png. The two images are made here with ImageMagick.
set -e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# ImageMagick marks a TGA bottom row first but writes its rows top first: flip it first.
convert -size 360x240 -seed 11 plasma:steelblue-orange -fill white -pointsize 24 \
  -annotate +16+226 "scene.tga (107)" -flip -type TrueColor -depth 8 scene.tga
convert -size 300x200 -seed 5 plasma:darkgreen-khaki -blur 0x2 -fill '#203060' \
  -draw 'circle 150,100 150,160' -fill white -pointsize 20 -annotate +12+190 "map.gif (109)" \
  -colors 64 map.gif
# The folder as Wine names it (drive Z: is the root); winepath would start a wineserver
# outside the virtual display.
folder="Z:$(printf %s "$work" | tr / '\\')"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wineserver -p
  wineboot >/dev/null 2>&1 </dev/null
  wine "$WIN32_BIN/viewer_demo.exe" "$1\\" scene.tga map.gif after107.bmp after109.bmp
  status=$?
  wineserver -k
  exit $status' sh "$folder"
convert after107.bmp -size 12x1 xc:white after109.bmp -background white -gravity north +append +repage "$OUT/viewer.png"
echo "wrote $OUT/viewer.png (viewer.exe after command 107 with a TGA and after command 109 with a GIF map)"
