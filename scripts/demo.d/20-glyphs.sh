#!/bin/sh
# Type 1 glyphs: converts a URW font from Debian's fonts-urw-base35 to PFB, reads a few
# letters with `zel glyph` (the text builder's font reader and preview interpreter) and
# draws their preview segments into $OUT/glyphs.png; the text dumps go to $OUT/glyphs/.
set -e
work="$OUT/glyphs"
mkdir -p "$work"
font="$work/NimbusRoman-Regular.pfb"
t1binary /usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1 "$font"

letters="Q e l & g R a"
cell_w=220; cell_h=260
cells=0
for ch in $letters; do
  "$ZEL" glyph "$font" "$ch" > "$work/glyph-$cells.txt"
  cells=$((cells + 1))
done

# Rasterise the segments (1/32 font unit; 1000 units = 200 pixels) into a plain PGM.
width=$((cell_w * cells)); height=$cell_h
i=0
for ch in $letters; do
  awk -v cell="$i" -v cw="$cell_w" -v ch="$cell_h" '
    /^segments/ { on = 1; next }
    /^advance/ { on = 0 }
    on && NF == 4 {
      x0 = $1 / 160; y0 = $2 / 160; x1 = $3 / 160; y1 = $4 / 160
      n = (x1 > x0 ? x1 - x0 : x0 - x1); m = (y1 > y0 ? y1 - y0 : y0 - y1); if (m > n) n = m
      n = int(n * 2) + 1
      for (k = 0; k <= n; k++) {
        x = int(x0 + (x1 - x0) * k / n + 10); y = int(y0 + (y1 - y0) * k / n)
        print cell * cw + x, ch - 50 - y
      }
    }' "$work/glyph-$i.txt"
  i=$((i + 1))
done | awk -v w="$width" -v h="$height" '
  { if ($1 >= 0 && $1 < w && $2 >= 0 && $2 < h) p[$2 * w + $1] = 1 }
  END {
    print "P2"; print w, h; print 255
    for (y = 0; y < h; y++) { line = ""
      for (x = 0; x < w; x++) line = line ((y * w + x) in p ? "0 " : "255 ")
      print line }
  }' > "$work/glyphs.pgm"
convert "$work/glyphs.pgm" "$OUT/glyphs.png"
rm -f "$work/glyphs.pgm"
echo "wrote $OUT/glyphs.png (letters: $letters) and the zel glyph dumps in $work/"
