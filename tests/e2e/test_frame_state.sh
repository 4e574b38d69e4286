#!/usr/bin/env bash
# What one frame leaves behind must not change the next: the sphere looks the same whether the
# model or the water was shown before it; and a fast drag leaves no backlog of moves, so Escape
# right after it ends the program at once.
# Usage: test_frame_state.sh SHOWROOM OUTDIR XCLOSE DATADIR
PROG=$1
OUT=$2/frame_state
DATA=$4
. "$(dirname "$0")/lib.sh"
rm -rf "$OUT" && mkdir -p "$OUT/run"
cp "$DATA"/*.tga "$DATA"/*.bmp "$DATA"/*.3ds "$OUT/run/" || fail "the data files were not generated"
start_xvfb 1024x768
CENTRE=300x300+250+150

start_windowed "$PROG" "$OUT/run"
xdotool key 6 sleep 0.5 key 2
shot "$OUT/sphere_after_water.png"
xdotool key 5 sleep 0.5 key 2
shot "$OUT/sphere_after_model.png"
d=$(image_diff "$OUT/sphere_after_water.png" "$OUT/sphere_after_model.png" $CENTRE)
greater 0.01 "$d" || fail "the sphere after the model differs from the sphere after the water (difference $d)"
echo "ok: the sphere looks the same after the model as after the water"

# 300 moves in one burst while the left button is held, then Escape.
moves=()
for _ in $(seq 300); do moves+=(mousemove_relative -- 2 1); done
xdotool mousemove $((WIN_X + 200)) $((WIN_Y + 200)) mousedown 1 "${moves[@]}" mouseup 1
start=$(date +%s%N)
xdotool key Escape
wait_exit 20
ms=$((($(date +%s%N) - start) / 1000000))
[ "$APP_RC" = 0 ] || fail "Escape after the drag: exit code $APP_RC"
[ "$ms" -lt 2000 ] || fail "the program ended $ms ms after Escape, expected within 2 s"
echo "ok: Escape after a 300-move drag ends the program in $ms ms"
