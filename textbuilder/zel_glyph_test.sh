#!/bin/sh
# Checks `zel glyph` end to end: PFB and PFA forms of a real font print the same dump,
# the dump is well formed, and unreadable input exits non-zero with the reader's message.
#   zel_glyph_test.sh ZEL CORPUS_DIR
set -u
zel=$1; corpus=$2
tmp=${TMPDIR:-/tmp}/zel-glyph-test.$$
mkdir -p "$tmp"; trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for ch in A g 38; do
  "$zel" glyph "$corpus/urw/NimbusSans-Regular.pfb" "$ch" > "$tmp/pfb.txt" || fail "pfb $ch exit $?"
  "$zel" glyph "$corpus/urw/NimbusSans-Regular.pfa" "$ch" > "$tmp/pfa.txt" || fail "pfa $ch exit $?"
  cmp -s "$tmp/pfb.txt" "$tmp/pfa.txt" || fail "PFB and PFA dumps of $ch differ"
  # counts announced by the header lines match the lines that follow
  awk '/^tokens/ { t = $2; next } /^(num|op|esc) / { n++ } /^segments/ { s = $2; next }
       NF == 4 && $1 ~ /^-?[0-9]+$/ { g++ } /^advance/ { a = 1 }
       END { if (n != t || g != s || !a || s == 0) exit 1 }' "$tmp/pfb.txt" || fail "malformed dump for $ch"
done
head -1 "$tmp/pfb.txt" | grep -qx 'scan 1 ScanDone' || fail "scan line"

"$zel" glyph /nonexistent/font.pfb A > /dev/null 2> "$tmp/err.txt" && fail "missing font accepted"
grep -qx 'QEL: Font corrupt' "$tmp/err.txt" || fail "missing font message: $(cat "$tmp/err.txt")"
"$zel" glyph "$corpus/urw/NimbusSans-Regular.pfb" A --glyph-table /nonexistent > /dev/null 2> "$tmp/err.txt" &&
  fail "missing glyph table accepted"
grep -qx 'QEL: Font corrupt' "$tmp/err.txt" || fail "missing table message"
# a glyph the font does not have: the end-of-font line's message and exit 1
head -c 4224 /dev/zero > "$tmp/table"
printf '/NoSuchGlyph' | dd of="$tmp/table" bs=1 seek=4160 conv=notrunc 2> /dev/null
"$zel" glyph "$corpus/urw/NimbusSans-Regular.pfb" 65 --glyph-table "$tmp/table" > "$tmp/out.txt" 2> "$tmp/err.txt" &&
  fail "missing glyph exit 0"
grep -qx 'QEL: No character in font' "$tmp/err.txt" || fail "missing glyph message: $(cat "$tmp/err.txt")"
grep -qx 'tokens 0' "$tmp/out.txt" || fail "missing glyph dump"
"$zel" glyph "$corpus/urw/NimbusSans-Regular.pfb" > /dev/null 2>&1 && fail "usage error exit 0"
echo "zel glyph checks passed"
