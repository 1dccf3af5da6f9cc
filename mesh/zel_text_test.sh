#!/bin/sh
# Checks `zel text` end to end: each mesh format and the picture are written, and every
# refusal (bad option, unreadable font, missing character, unwritable output) exits 1
# with a message and leaves none of the output files behind.
#   zel_text_test.sh ZEL CORPUS_DIR
set -u
zel=$1; corpus=$2
font=$corpus/urw/NimbusSans-Bold.pfb
tmp=${TMPDIR:-/tmp}/zel-text-test.$$
mkdir -p "$tmp"; trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for ext in obj ply stl gltf glb; do
  "$zel" text "$font" "Zel" -o "$tmp/t.$ext" --front --back --depth 30 > "$tmp/out.txt" || fail "$ext exit $?"
  [ -s "$tmp/t.$ext" ] || fail "$ext not written"
  grep -qx 'objects 6' "$tmp/out.txt" || fail "$ext: three letters with their follow points: $(cat "$tmp/out.txt")"
  awk '/^triangles/ { t = $2 } END { exit !(t > 300) }' "$tmp/out.txt" || fail "$ext triangles"
done
[ -s "$tmp/t.bin" ] && [ "$(grep -c '^newmtl \(face\|side\|bevel\)' "$tmp/t.mtl")" = 3 ] ||
  fail "companion files, materials: $(grep newmtl "$tmp/t.mtl")"
# A colour given in hexadecimal reaches the material: 0x10, 0x2a, 0xff are 16, 42, 255 of 255.
"$zel" text "$font" "A" -o "$tmp/c.obj" --face 102aFF > /dev/null || fail "colour run"
awk '/^newmtl/ { m = $2 } m == "face" && $1 == "Kd" { ok = $2 > 0.0626 && $2 < 0.0629 && $3 > 0.1646 && $3 < 0.1648 && $4 == 1 }
     END { exit !ok }' "$tmp/c.mtl" || fail "face colour: $(cat "$tmp/c.mtl")"
"$zel" text "$font" "A b" -o "$tmp/p.obj" --png "$tmp/p.png" --size 320 --rtl --no-fill --width 40 > /dev/null || fail "png run"
[ "$(identify -format '%m %w %h' "$tmp/p.png")" = "PNG 320 180" ] || fail "picture: $(identify "$tmp/p.png")"

# Refusals: status 1, a message, no output file.
refuse() {  # description, then the arguments after "zel text"
  what=$1; shift
  rm -f "$tmp"/r.*
  "$zel" text "$@" > /dev/null 2> "$tmp/err.txt"
  status=$?
  [ $status -eq 1 ] || fail "$what: exit $status"
  [ -s "$tmp/err.txt" ] || fail "$what: no message"
  [ -z "$(ls "$tmp"/r.* 2>/dev/null)" ] || fail "$what: left $(ls "$tmp"/r.*)"
}
printf 'not a font\n' > "$tmp/bad.pfb"
refuse "missing font" /nonexistent.pfb "A" -o "$tmp/r.obj" --png "$tmp/r.png"
refuse "not a font" "$tmp/bad.pfb" "A" -o "$tmp/r.obj" --png "$tmp/r.png"
refuse "unknown format" "$font" "A" -o "$tmp/r.dxf"
refuse "no output" "$font" "A"
refuse "unknown option" "$font" "A" -o "$tmp/r.obj" --bogus
refuse "only spaces" "$font" "   " -o "$tmp/r.obj"
refuse "hold point" "$font" "A" -o "$tmp/r.obj" --hold 7
refuse "angle" "$font" "A" -o "$tmp/r.obj" --angle 90
refuse "colour" "$font" "A" -o "$tmp/r.obj" --face 12345G
refuse "text" "$font" "$(printf 'caf\351')" -o "$tmp/r.obj"
refuse "unwritable mesh" "$font" "A" -o /nonexistent/dir/r.obj --png "$tmp/r.png"
refuse "unwritable picture" "$font" "A" -o "$tmp/r.glb" --png /nonexistent/dir/r.png
head -c 4224 /dev/zero > "$tmp/table"
printf '/NoSuchGlyph' | dd of="$tmp/table" bs=1 seek=4160 conv=notrunc 2> /dev/null
refuse "missing character" "$font" "AAA" -o "$tmp/r.obj" --glyph-table "$tmp/table"
echo "zel text checks passed"
