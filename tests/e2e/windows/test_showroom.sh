#!/usr/bin/env bash
# showroom.exe under Wine, driven from inside Wine: the start-up question answered No, the first
# frame shows the sky box and the water, keys 2 and 4 change the element, Escape ends it with 0.
# Usage: test_showroom.sh SHOWROOM.EXE DRIVE.EXE OUTDIR DATADIR
PROG=$1
DRIVE=$2
OUT=$3/showroom
DATA=$4
. "$(dirname "$0")/lib.sh"
rm -rf "$OUT" && mkdir -p "$OUT/run"
for f in "${DATA_FILES[@]}"; do cp "$DATA/$f" "$OUT/run/" || fail "data file $f was not generated"; done
start_desktop

start_windowed_wine "$PROG" "$OUT/run"
shot "$OUT/first.png" 2
read -r r g b <<<"$(region_mean "$OUT/first.png" 800x120+0+0)"
greater "$b" "$r" && greater "$b" 0.35 || fail "the sky box's top is not sky blue (mean $r $g $b)"
read -r r g b <<<"$(region_mean "$OUT/first.png" 800x150+0+450)"
greater "$(awk -v r=$r -v g=$g -v b=$b 'BEGIN{print r+g+b}')" 0.6 || fail "no water below the horizon (mean $r $g $b)"
for k in 2 4; do
    drive keys "$CAPTION" $k || fail "key $k not sent"
    shot "$OUT/key$k.png" 1.5
done
CENTRE=300x300+250+150
for pair in "first key2" "first key4" "key2 key4"; do
    read -r a b <<<"$pair"
    d=$(image_diff "$OUT/$a.png" "$OUT/$b.png" $CENTRE)
    greater "$d" 0.03 || fail "$a and $b show the same element (difference $d)"
done
drive keys "$CAPTION" Escape || fail "Escape not sent"
wait_exit 20
[ "$APP_RC" = 0 ] || fail "exit code $APP_RC after Escape"
echo "ok: showroom.exe answers No, shows sky box and water, changes element on 2 and 4, ends with 0"
