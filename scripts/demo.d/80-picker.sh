#!/bin/sh
# The preset map picker: zel writes a 320x200 sheet of 30 numbered stamps and looks up a few
# clicks on it; then picker_demo.exe opens STAMPICK's picker on that sheet under Wine, over
# a host window of its own, pictures the picker's window and clicks stamp 22.
# Writes $OUT/stamps.png (the sheet) and $OUT/picker.png (the picker's window).
set -e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$ZEL" stamps sheet "$work/stamps.bmp"
"$ZEL" stamps pick "$work/stamps.bmp" 0,0 319,0 0,34 319,166 10,170 330,20
convert "$work/stamps.bmp" "$OUT/stamps.png"
export SHEET="Z:$work/stamps.bmp" SHOT="Z:$work/picker.bmp"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wineserver -p
  wineboot >/dev/null 2>&1 </dev/null
  wine "$WIN32_BIN/picker_demo.exe" "$SHEET" "$SHOT" 200 120
  status=$?
  wineserver -k
  exit $status' | tr -d '\r'
convert "$work/picker.bmp" "$OUT/picker.png"
echo "wrote $OUT/stamps.png $OUT/picker.png"
