#!/bin/sh
# The window controls at work: controls_demo.exe opens a window with four "Update" bars
# (0, 25, 50, 100 %) and a "Spin" with an edit buddy, holds the spin's upper button with
# synthetic input, and writes the window as shown; the picture goes to $OUT/controls.png.
set -e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  wineserver -p
  wineboot >/dev/null 2>&1 </dev/null
  wine "$WIN32_BIN/controls_demo.exe" controls.bmp
  status=$?
  wineserver -k
  exit $status'
convert controls.bmp "$OUT/controls.png"
echo "wrote $OUT/controls.png (Update bars at 0/25/50/100 %, Spin with its buddy)"
