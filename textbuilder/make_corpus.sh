#!/bin/sh
# Makes the real-font corpus for the font reader checks under DIR (not committed):
#   DIR/urw/NAME.pfb, NAME.pfa   Debian's fonts-urw-base35 (raw binary .t1: PFA by hex-encoding
#                                the encrypted part, PFB from that with t1binary)
#   DIR/cyr/NAME.pfb, NAME.pfa   t1-cyrillic (PFB as shipped, PFA made with t1ascii)
#   DIR/culmus/NAME.pfa, NAME.pfb culmus (PFA as shipped, PFB made with t1binary)
set -e
dir=$1
[ -n "$dir" ] || { echo "usage: make_corpus.sh DIR" >&2; exit 2; }
if [ -f "$dir/.done" ]; then exit 0; fi
rm -rf "$dir"
mkdir -p "$dir/urw" "$dir/cyr" "$dir/culmus"
# t1ascii / t1binary guess where the encrypted part of a raw binary font ends and guess
# wrong for two of these fonts (the encrypted bytes hold "\n0"). The end is known
# exactly: 512 zeros (line ends between them) precede "cleartomark".
raw_to_pfa() {  # raw.t1 out.pfa
  # the clear text ends after "currentfile eexec" and one CR, LF or CR LF
  eexec=$(LC_ALL=C grep -abo 'currentfile eexec' "$1" | head -1 | cut -d: -f1)
  [ -n "$eexec" ] || return 1
  start=$((eexec + 17))
  first=$(tail -c +$((start + 1)) "$1" | head -c 2 | od -An -tx1 | tr -d ' \n')
  case "$first" in 0d0a) start=$((start + 2)) ;; *) start=$((start + 1)) ;; esac
  end=$(LC_ALL=C grep -abo cleartomark "$1" | tail -1 | cut -d: -f1)
  back=$(head -c "$end" "$1" | tail -c 2048 | od -An -v -tx1 | tr -s ' \n' '\n' | grep -v '^$' |
         awk '{a[NR]=$1} END {z=0; for (i=NR; i>0; i--) {
                if (a[i]=="30") { if (++z==512) { print NR-i+1; exit } }
                else if (a[i]!="0a" && a[i]!="0d") { print -1; exit } } print -1 }')
  [ "$back" -gt 0 ] || return 1
  cipher_end=$((end - back))
  { head -c $((eexec + 17)) "$1"
    echo
    tail -c +$((start + 1)) "$1" | head -c $((cipher_end - start)) | od -An -v -tx1 | tr -d ' \n' | fold -w 64
    echo
    tail -c +$((cipher_end + 1)) "$1"; } > "$2"
}
for f in /usr/share/fonts/type1/urw-base35/*.t1; do
  n=$(basename "$f" .t1)
  raw_to_pfa "$f" "$dir/urw/$n.pfa" || t1ascii "$f" "$dir/urw/$n.pfa"
  t1binary "$dir/urw/$n.pfa" "$dir/urw/$n.pfb"
done
for f in $(dpkg -L t1-cyrillic | grep '\.pfb$'); do
  n=$(basename "$f" .pfb)
  cp "$f" "$dir/cyr/$n.pfb"
  t1ascii "$f" "$dir/cyr/$n.pfa"
done
for f in $(dpkg -L culmus | grep '\.pfa$'); do
  n=$(basename "$f" .pfa)
  cp "$f" "$dir/culmus/$n.pfa"
  t1binary "$f" "$dir/culmus/$n.pfb"
done
touch "$dir/.done"
echo "corpus in $dir: $(ls "$dir"/*/*.pfb | wc -l) fonts, each as PFB and PFA"
