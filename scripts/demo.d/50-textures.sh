#!/bin/sh
# Texture plug-ins: swatches of the dimple and dots textures rendered by zel through the
# same procedures the DLLs export, then each DLL's parameter dialog opened through
# _SetExternalParameters under Wine, typed into, pictured and accepted.
set -e
"$ZEL" texture dimple "# 0.30 1.50  1.00 1.00 1.00" "$OUT/dimple.png"
"$ZEL" texture dimple "# 0.18 3.00  0.60 0.60 0.60" "$OUT/dimple-fine.png" --colour 220,180,40
"$ZEL" texture dots "# 0.40 1.00 1.00 1.00" "$OUT/dots.png" --colour 30,90,200
"$ZEL" texture dots "# 0.40 1.00 1.00 1.00" "$OUT/dots-morph.png" --colour 30,90,200 \
  --morph "# 0.30 1.00 1.00 1.00" --t 0.5

if [ -f "$WIN32_BIN/texture_dialog_shot.exe" ] && command -v xvfb-run >/dev/null; then
  # Wine gets its own display and wineserver for the two dialogs, stopped inside it.
  xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    wineserver -p; wineboot >/dev/null 2>&1 </dev/null
    cd "$WIN32_BIN"
    wine texture_dialog_shot.exe PITSHADE.dll "Z:$OUT/dimple-dialog.bmp" 107=0.25 108=2.5
    wine texture_dialog_shot.exe SPECKLE.dll "Z:$OUT/dots-dialog.bmp" 101=0.35 102=2
    wineserver -k' | tr -d '\r'
  for d in dimple dots; do
    convert "$OUT/$d-dialog.bmp" "$OUT/$d-dialog.png" && rm -f "$OUT/$d-dialog.bmp"
  done
  echo "wrote $OUT/dimple-dialog.png $OUT/dots-dialog.png"
fi
echo "wrote $OUT/dimple.png $OUT/dimple-fine.png $OUT/dots.png $OUT/dots-morph.png"
