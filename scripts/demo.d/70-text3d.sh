#!/bin/sh
# 3D text: converts a URW font from Debian's fonts-urw-base35 to PFB and builds a line of
# bevelled, extruded, filled letters with `zel text` (the text builder writing into the
# mesh model), as binary glTF and OBJ (+MTL), with a picture of the result.
set -e
work="$OUT/text3d"
mkdir -p "$work"
font="$work/URWBookman-Demi.pfb"
t1binary /usr/share/fonts/type1/urw-base35/URWBookman-Demi.t1 "$font"
"$ZEL" text "$font" "Zel 3D Text" -o "$OUT/text3d.glb" --png "$OUT/text3d.png" --front --back --depth 30 --width 25
"$ZEL" text "$font" "Zel 3D Text" -o "$work/text3d.obj" --front --back --depth 30 --width 25 \
  --face 3070C0 --side 203050 --bevel-color A0C8F0
echo "wrote $OUT/text3d.glb, $OUT/text3d.png and $work/text3d.obj (+ .mtl)"
