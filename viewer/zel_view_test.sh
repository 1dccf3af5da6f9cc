#!/bin/sh
# zel view as documented: the caption line, -o (the painted picture) and --bmp (the held
# bitmap, which ImageMagick must decode to the same picture), exit status 1 and the box on
# stderr for a file the viewer refuses. Uses the viewer corpus.
set -e
zel=$1; corpus=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for f in b-rle8.bmp b-v5-32.bmp t-24-top.tga g-13x7.gif; do
  "$zel" view "$corpus/$f" -o "$work/a.png" --bmp "$work/a.bmp" > "$work/out.txt" || fail "$f: exit status $?"
  upper=$(echo "$f" | tr a-z A-Z)
  grep -q "^View ($upper " "$work/out.txt" || fail "$f: caption line: $(head -1 "$work/out.txt")"
  a=$(convert "$work/a.png" -depth 8 rgb:- | md5sum)
  b=$(convert "$work/a.bmp" -crop "$(identify -format %wx%h "$work/a.png")+0+0" -depth 8 rgb:- | md5sum)
  [ "$a" = "$b" ] || fail "$f: the held bitmap and the painted picture differ"
done

set +e
"$zel" view "$corpus/t-mapped.tga" -o "$work/b.png" > /dev/null 2> "$work/err.txt"
status=$?
set -e
[ $status -eq 1 ] || fail "refused file: exit status $status"
grep -q "^Error: '$corpus/t-mapped.tga' is NOT a valid TGA file type$" "$work/err.txt" || fail "box: $(cat "$work/err.txt")"
[ ! -e "$work/b.png" ] || fail "a refused file still wrote a picture"
echo "zel view: 5 files checked"
