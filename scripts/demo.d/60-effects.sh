#!/bin/sh
# Effect plug-ins: animates a built-in column with shake, spring and build-to over a span of
# frames (through the same core as shake.dll, spring.dll and GATHER.dll), writes every frame
# as OBJ and the frames side by side as PNG strips and GIF loops; then, under Wine, checks that
# the DLLs reproduce the native figures bit for bit and pictures the three dialogs.
set -e
dir="$OUT/effects"
mkdir -p "$dir"
"$ZEL" effect shake 9 9 "$dir/shake" >"$dir/shake.txt"
"$ZEL" effect spring "8" 13 "$dir/spring" --ok 75 >"$dir/spring.txt"
"$ZEL" effect spring "8 75" 13 "$dir/spring-c15" --ok 150 >"$dir/spring-c15.txt"
"$ZEL" effect gather 3 3 "$dir/gather" >"$dir/gather.txt"
for name in shake spring spring-c15 gather; do
  convert "$dir/${name}_strip.ppm" "$dir/${name}_strip.png"
  convert "$dir/${name}_strip.ppm" -crop 152x260 +repage -set delay 15 -loop 0 "$dir/${name}.gif"
  rm "$dir/${name}_strip.ppm"
  echo "wrote $dir/${name}_strip.png, $dir/${name}.gif and $(ls "$dir/${name}"_*.obj | wc -l) OBJ frames ($(head -1 "$dir/${name}.txt"))"
done
# Under Wine, on a virtual display of its own: the figures through the DLL exports, then the
# three dialogs as the DLLs paint them.
if [ -f "$WIN32_BIN/effects_wine_test.exe" ] && command -v wine >/dev/null 2>&1 &&
   command -v xvfb-run >/dev/null 2>&1; then
  shots="$dir/dialogs"
  mkdir -p "$shots"
  ZEL_SHOT_DIR="Z:$shots" xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    wine "$1" --gtest_filter=EffectFigures.* >"$2/wine-figures.txt" 2>&1; f=$?
    wine "$1" --gtest_filter=EffectDialogs.PaintTheirTextsAndButtons >"$3/log.txt" 2>&1; d=$?
    wineserver -k
    [ $f -eq 0 ] && [ $d -eq 0 ]' sh "$WIN32_BIN/effects_wine_test.exe" "$dir" "$shots" || {
    echo "the Wine checks failed: see $dir/wine-figures.txt and $shots/log.txt" >&2
    exit 1
  }
  echo "wrote $dir/wine-figures.txt: shake.dll and spring.dll match the native figures bit for bit"
  for f in "$shots"/*.bmp; do convert "$f" "${f%.bmp}.png" && rm "$f"; done
  convert "$shots/Shake Effect.png" "$shots/Spring Effect.png" "$shots/Build To Effect.png" \
    -bordercolor white -border 6 +append "$dir/dialogs.png"
  echo "wrote $dir/dialogs.png: the three effect dialogs as shake.dll, spring.dll and GATHER.dll show them"
fi
