#!/bin/sh
# The text builder DLL under Wine: QEL.dll's _QELbuilder called as the host calls it, with
# a URW font from Debian's fonts-urw-base35 (converted to PFB) and a recording model behind
# ModelInterface. The "Text Builder Utility" dialog is pictured with its previews and the
# hold-point picture ($OUT/qel-dialog.png), "Make" is pressed, and the model calls the DLL
# made are written to $OUT/qel/qel-wine.log and compared with the native core's build of the
# same text (qel_make_log, $OUT/qel/qel-native.log): the two must be the same line for line.
# The letters' outlines as the DLL wrote them into the model go to
# $OUT/qel/qel-wine-outline.obj and, seen from the front, to $OUT/qel-wine-outline.png.
# Then the DLL builds the same text once more, this time with its fill, bevel and extrusion
# calls answered by replaying what the stand-in host's mesh model did in the native build
# (qel_mesh_demo build): the solid letters the DLL made must be the native build's vertex
# for vertex and face for face, and are written with the mesh exporter to $OUT/qel-wine.obj
# (+ .mtl) with their picture $OUT/qel-wine.png.
set -e
[ -f "$WIN32_BIN/qel_dialog_shot.exe" ] && command -v xvfb-run >/dev/null || {
  echo "70-qel: no Win32 build or no xvfb-run; skipped"; exit 0; }
work="$OUT/qel"
mkdir -p "$work"
font="$work/NimbusRoman-Regular.pfb"
t1binary /usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1 "$font"
win() { printf 'Z:%s' "$1" | tr '/' '\\'; }
native_bin=$(dirname "$ZEL")
"$native_bin/qel_mesh_demo" build "$native_bin/" "$font" "Zel" "$work/host-ops.txt" "$work/qel-native.dump"
export QEL_HOST="$(win "$WIN32_BIN")\\" QEL_FONT="$(win "$font")" QEL_BMP="$(win "$OUT/qel-dialog.bmp")" \
  QEL_LOG="$(win "$work/qel-wine.log")" QEL_OBJ="$(win "$work/qel-wine-outline.obj")" \
  QEL_OPS="$(win "$work/host-ops.txt")" QEL_DUMP="$(win "$work/qel-wine.dump")"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wineserver -p; wineboot >/dev/null 2>&1 </dev/null
  cd "$WIN32_BIN"
  wine qel_dialog_shot.exe "$QEL_HOST" "$QEL_FONT" "Zel" "$QEL_BMP" "$QEL_LOG" "$QEL_OBJ"
  wine qel_dialog_shot.exe --replay "$QEL_OPS" "$QEL_DUMP" "$QEL_HOST" "$QEL_FONT" "Zel"
  wineserver -k' | tr -d '\r'
convert "$OUT/qel-dialog.bmp" "$OUT/qel-dialog.png" && rm -f "$OUT/qel-dialog.bmp"
"$native_bin/qel_make_log" "$native_bin/" "$font" "Zel" "$work/qel-native.log"
if cmp -s "$work/qel-wine.log" "$work/qel-native.log"; then
  echo "QEL.dll under Wine and the native core made the same $(wc -l < "$work/qel-native.log") model calls"
else
  echo "70-qel: QEL.dll's model calls differ from the native core's" >&2
  diff "$work/qel-wine.log" "$work/qel-native.log" | head -20 >&2
  exit 1
fi

# The outlines from the front (model Y to the right, Z up; 32000 units = 200 pixels).
awk '
  $1 == "v" { n++; y[n] = $3 / 160; z[n] = $4 / 160 }
  $1 == "l" {
    a = $2; b = $3; d = y[b] - y[a]; if (d < 0) d = -d; e = z[b] - z[a]; if (e < 0) e = -e
    m = int((d > e ? d : e) * 2) + 1
    for (k = 0; k <= m; k++) print int(y[a] + (y[b] - y[a]) * k / m) + 20, 220 - int(z[a] + (z[b] - z[a]) * k / m)
  }' "$work/qel-wine-outline.obj" | awk '
  { if ($1 >= 0 && $1 < 360 && $2 >= 0 && $2 < 280) p[$2 * 360 + $1] = 1 }
  END {
    print "P2"; print 360, 280; print 255
    for (y = 0; y < 280; y++) { line = ""
      for (x = 0; x < 360; x++) line = line ((y * 360 + x) in p ? "0 " : "255 ")
      print line }
  }' > "$work/outline.pgm"
convert "$work/outline.pgm" "$OUT/qel-wine-outline.png"
rm -f "$work/outline.pgm"
if cmp -s "$work/qel-wine.dump" "$work/qel-native.dump"; then
  echo "QEL.dll's solid letters are the native build's: $(grep -c '^v' "$work/qel-native.dump") vertices, $(grep -c '^f' "$work/qel-native.dump") faces"
else
  echo "70-qel: the model QEL.dll built differs from the native build's" >&2
  diff "$work/qel-wine.dump" "$work/qel-native.dump" | head -20 >&2
  exit 1
fi
"$native_bin/qel_mesh_demo" export "$work/qel-wine.dump" "$OUT/qel-wine.obj" "$OUT/qel-wine.png"
echo "wrote $OUT/qel-dialog.png $OUT/qel-wine.obj $OUT/qel-wine.png $OUT/qel-wine-outline.png $work/qel-wine.log $work/qel-wine-outline.obj"
