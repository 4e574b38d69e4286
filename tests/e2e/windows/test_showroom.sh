#!/usr/bin/env bash
# showroom.exe under Wine, driven from inside Wine: the start-up question answered No, the first
# frame shows the sky box and the water, keys 2 and 4 change the element, Escape ends it with 0.
. "$(dirname "$0")/lib.sh"
data_folder "$OUT/run"
start_desktop

start_windowed_wine "$PROG" "$OUT/run"
shot "$OUT/first.png" 2
sky_and_water "$OUT/first.png"
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
