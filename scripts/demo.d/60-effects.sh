#!/bin/sh
# Effect plug-ins: animates a built-in column with shake, spring and build-to over a span of
# frames (through the same core as shake.dll, spring.dll and GATHER.dll), writes every frame
# as OBJ and the frames side by side as PNG strips and GIF loops; then checks under Wine that
# the DLLs reproduce the native figures bit for bit.
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
if [ -f "$WIN32_BIN/effects_wine_test.exe" ] && command -v wine >/dev/null 2>&1; then
  if wine "$WIN32_BIN/effects_wine_test.exe" --gtest_filter='EffectFigures.*' >"$dir/wine-figures.txt" 2>&1; then
    echo "wrote $dir/wine-figures.txt: shake.dll and spring.dll match the native figures bit for bit"
  else
    echo "wrote $dir/wine-figures.txt: the DLL figures DIFFER from the native ones" >&2
    exit 1
  fi
fi
