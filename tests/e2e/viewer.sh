#!/usr/bin/env bash
# The model viewer under Xvfb, driven like a person: a static model (its caption, a left drag turns
# it, W shows the wireframe, the mouse wheel zooms, Escape exits 0) and a BVH motion (Space plays, a pause, Space stops:
# the frame in the caption and the picture have moved; Right steps one frame, Home goes back to
# frame 1; Escape exits 0).
# Usage: viewer.sh VIEWER OUTDIR REALDATADIR
PROG=$1
OUT=$2/viewer
DATA=$3
. "$(dirname "$0")/lib.sh"
rm -rf "$OUT" && mkdir -p "$OUT"
start_xvfb 1280x1024

# Prints the id of the visible window whose caption starts with $1, waiting up to 10 s.
wait_caption() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

caption() { xdotool getwindowname "$MAIN"; }

# The frame number in the caption.
caption_frame() { caption | sed -E 's/.* - frame ([0-9]+) of .*/\1/'; }

start_viewer() {
    ("$PROG" "$1" >"$OUT/viewer.log" 2>&1) &
    APP_PID=$!
    MAIN=$(wait_caption "$2") || fail "no viewer window captioned '$2...'"
    read -r WIN_W WIN_H WIN_X WIN_Y <<<"$(window_geometry "$MAIN")"
    xdotool windowfocus "$MAIN" 2>/dev/null
}

drag_left() {
    xdotool mousemove $((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H / 2)) mousedown 1
    for _ in 1 2 3 4 5 6; do xdotool mousemove_relative -- 15 0; sleep 0.05; done
    xdotool mouseup 1
}

# A static model: caption with its triangle count, a turn by a left drag, the wireframe.
start_viewer "$DATA/3ds/test1.3ds" "test1.3ds - "
[[ "$(caption)" =~ ^test1\.3ds\ -\ [1-9][0-9]*\ triangles$ ]] || fail "caption '$(caption)'"
[ "$WIN_W" = 1024 ] && [ "$WIN_H" = 768 ] || fail "window is $WIN_W x $WIN_H, not 1024 x 768"
shot "$OUT/model.png" 1
drag_left
shot "$OUT/model_turned.png"
d=$(image_diff "$OUT/model.png" "$OUT/model_turned.png")
greater "$d" 0.01 || fail "the left drag did not turn the model (difference $d)"
xdotool key w
shot "$OUT/model_wireframe.png"
d=$(image_diff "$OUT/model_turned.png" "$OUT/model_wireframe.png")
greater "$d" 0.01 || fail "W did not show the wireframe (difference $d)"
xdotool mousemove $((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H / 2)) click --repeat 4 --delay 50 4
shot "$OUT/model_wheel.png"
d=$(image_diff "$OUT/model_wireframe.png" "$OUT/model_wheel.png")
greater "$d" 0.01 || fail "the mouse wheel did not zoom (difference $d)"
xdotool key Escape
wait_exit 5
[ "$APP_RC" = 0 ] || fail "model, Escape: exit code $APP_RC"
echo "ok: static model: caption, turn, wireframe, wheel zoom, Escape"

# A motion: Space plays, a pause, Space stops; the caption's frame and the picture have moved.
start_viewer "$DATA/bvh/cmu_12_01_walk.bvh" "cmu_12_01_walk.bvh - "
[ "$(caption_frame)" = 1 ] || fail "a motion starts at frame $(caption_frame): '$(caption)'"
shot "$OUT/motion_first.png" 1
xdotool key space
sleep 1
xdotool key space
sleep 0.3
played=$(caption_frame)
[ "$played" -gt 30 ] || fail "one second of playback at 120 frames a second reached frame $played"
shot "$OUT/motion_played.png"
d=$(image_diff "$OUT/motion_first.png" "$OUT/motion_played.png")
greater "$d" 0.005 || fail "playback did not move the skeleton (difference $d)"
sleep 0.5
[ "$(caption_frame)" = "$played" ] || fail "paused playback went on to frame $(caption_frame)"
xdotool key Right
sleep 0.3
[ "$(caption_frame)" = $((played + 1)) ] || fail "Right went from frame $played to $(caption_frame)"
xdotool key Home
sleep 0.3
[ "$(caption_frame)" = 1 ] || fail "Home went to frame $(caption_frame)"
xdotool key Escape
wait_exit 5
[ "$APP_RC" = 0 ] || fail "motion, Escape: exit code $APP_RC"
echo "ok: motion: play, pause, step, first frame, Escape"
