#!/usr/bin/env bash
# The whole demonstration under Xvfb with the generated data files, driven like a person: the
# first frame, keys 1 to 6, N, a left drag and a right drag, each checked on the picture; then a
# run without the model file, where key 5 shows only the sky box.
# Usage: test_demo.sh SHOWROOM OUTDIR XCLOSE DATADIR
PROG=$1
OUT=$2/demo
DATA=$4
. "$(dirname "$0")/lib.sh"
rm -rf "$OUT" && mkdir -p "$OUT/run" "$OUT/nomodel"
for f in "${DATA_FILES[@]}"; do
    [ -f "$DATA/$f" ] || fail "data file $f was not generated"
    cp "$DATA/$f" "$OUT/run/"
    [ "$f" = cristallo1.3ds ] || cp "$DATA/$f" "$OUT/nomodel/"
done
start_xvfb 1280x1024
CENTRE=300x300+250+150      # where the elements stand
SKY=800x120+0+0             # the top of the picture: sky
BORDER_L=120x600+0+0        # left and right strips: the sky box only, for every element
BORDER_R=120x600+680+0

start_windowed "$PROG" "$OUT/run"
shot "$OUT/first.png" 1.5
sky_and_water "$OUT/first.png"

for k in 1 2 3 4 5 6; do
    xdotool key $k
    shot "$OUT/key$k.png"
done
# Each element changes the centre of the picture and differs from every other.
for a in 1 2 3 4 5 6; do
    for b in 1 2 3 4 5 6; do
        [ $a -lt $b ] || continue
        d=$(image_diff "$OUT/key$a.png" "$OUT/key$b.png" $CENTRE)
        greater "$d" 0.03 || fail "keys $a and $b show the same centre (difference $d)"
    done
done
# The first frame is element 6, the water.
d=$(image_diff "$OUT/first.png" "$OUT/key6.png")
greater 0.2 "$d" || fail "the first frame is not the water element (difference $d)"
# The sky box around the elements stays the same for every element.
for k in 1 2 3 4 5; do
    d=$(image_diff "$OUT/key$k.png" "$OUT/key2.png" $BORDER_L)
    greater 0.05 "$d" || fail "the sky box changed with key $k (difference $d)"
done

# N: normal mapping changes the look of the sphere; R brings reflection back.
xdotool key 2
shot "$OUT/sphere_reflection.png"
xdotool key n
shot "$OUT/sphere_normal.png"
d=$(image_diff "$OUT/sphere_reflection.png" "$OUT/sphere_normal.png" $CENTRE)
greater "$d" 0.03 || fail "N did not change the sphere's look (difference $d)"
d=$(image_diff "$OUT/sphere_reflection.png" "$OUT/sphere_normal.png" $BORDER_L)
greater 0.02 "$d" || fail "N changed the sky box (difference $d)"
xdotool key r
shot "$OUT/sphere_reflection_again.png"
d=$(image_diff "$OUT/sphere_reflection.png" "$OUT/sphere_reflection_again.png" $CENTRE)
greater 0.02 "$d" || fail "R did not bring the reflection back (difference $d)"

# A left drag of 90 pixels to the right turns the view by 90 degrees: the sky box moves.
xdotool mousemove $((WIN_X + 300)) $((WIN_Y + 300)) mousedown 1
for _ in 1 2 3 4 5 6 7 8 9; do xdotool mousemove_relative -- 10 0; sleep 0.05; done
xdotool mouseup 1
shot "$OUT/left_drag.png" 1.2
d=$(image_diff "$OUT/sphere_reflection_again.png" "$OUT/left_drag.png" $BORDER_L)
greater "$d" 0.05 || fail "the left drag did not turn the view (difference $d)"
read -r r g b <<<"$(region_mean "$OUT/left_drag.png" $SKY)"
greater "$b" "$r" || fail "after the turn the top is no longer sky (mean $r $g $b)"

# A right drag of 30 pixels downwards brings the scene 6 units closer: the sphere grows past
# the centre square, into the strip just outside it.
xdotool mousemove $((WIN_X + 300)) $((WIN_Y + 200)) mousedown 3
for _ in 1 2 3; do xdotool mousemove_relative -- 0 10; sleep 0.05; done
xdotool mouseup 3
shot "$OUT/right_drag.png" 1.2
d=$(image_diff "$OUT/left_drag.png" "$OUT/right_drag.png" 60x200+190+200)
greater "$d" 0.05 || fail "the right drag did not bring the sphere closer (difference $d)"

xdotool key Escape
wait_exit 5
[ "$APP_RC" = 0 ] || fail "Escape: exit code $APP_RC"
echo "ok: sky box, six distinct elements, N and R, left and right drags"

# Without the model the program runs and key 5 shows only the sky box.
start_windowed "$PROG" "$OUT/nomodel"
xdotool key 5
shot "$OUT/nomodel_key5.png" 1.5
d=$(image_diff "$OUT/nomodel_key5.png" "$OUT/key5.png" $CENTRE)
greater "$d" 0.03 || fail "key 5 without the model still shows something in the centre (difference $d)"
for region in $BORDER_L $BORDER_R $SKY; do
    d=$(image_diff "$OUT/nomodel_key5.png" "$OUT/key5.png" $region)
    greater 0.02 "$d" || fail "without the model the sky box differs in $region (difference $d)"
done
xdotool key Escape
wait_exit 5
[ "$APP_RC" = 0 ] || fail "no model, Escape: exit code $APP_RC"
echo "ok: without cristallo1.3ds, key 5 shows only the sky box"
