#!/usr/bin/env bash
# The program under a real window manager (openbox): answering No gives a framed window with a
# title bar around its 800 by 600 client area; answering Yes gives no frame at all, the client
# area covering the whole screen.
# Usage: test_window_manager.sh SHOWROOM OUTDIR
PROG=$1
OUT=$2/window_manager
. "$(dirname "$0")/lib.sh"
CAPTION="Texture CubeMap - 1-6/cambia elemento - R/riflesso - N/normale"
rm -rf "$OUT" && mkdir -p "$OUT/home"
start_xvfb 1024x768
# Starts the manager with a private home (its defaults, whatever the user's own configuration
# says) and waits until it has taken the screen. The server resets when its last client leaves, and
# a connection made meanwhile fails: then the manager is started again.
start_window_manager() {
    local attempt
    for attempt in 1 2 3 4 5; do
        HOME="$OUT/home" openbox --sm-disable >"$OUT/openbox.log" 2>&1 &
        WM_PID=$!
        for _ in $(seq 50); do
            kill -0 $WM_PID 2>/dev/null || break
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
            sleep 0.1
        done
        kill $WM_PID 2>/dev/null
        sleep 0.2
    done
    fail "openbox did not start: $(cat "$OUT/openbox.log")"
}
start_window_manager
trap 'kill $WM_PID 2>/dev/null; stop_xvfb' EXIT

# "W H X Y" of the frame around window $1: its ancestor that is a child of the root.
frame_geometry() {
    local id=$1 root parent
    root=$(xwininfo -root | awk '/Window id:/{print $4}')
    while parent=$(xwininfo -tree -id "$id" | awk '/Parent window id:/{print $4}') && [ "$parent" != "$root" ]; do
        id=$parent
    done
    window_geometry "$id"
}

# Starts the program, answers $1 and sets CLIENT and FRAME to the window's and its frame's geometry.
run_answering() {
    start_app "$PROG" "$OUT/$1"
    local dialog main
    dialog=$(wait_window "Video!") || fail "no start-up dialog"
    click_dialog "$dialog" "$1"
    main=$(wait_window "$CAPTION") || fail "no program window after answering $1"
    sleep 0.5
    CLIENT=$(window_geometry "$main")
    FRAME=$(frame_geometry "$main")
    xdotool windowfocus "$main" key Escape 2>/dev/null
    wait_exit 5
}

run_answering no
read -r w h x y <<<"$CLIENT"
read -r fw fh fx fy <<<"$FRAME"
[ "$w $h" = "800 600" ] || fail "windowed client area is ${w}x${h}, expected 800x600"
[ "$fh" -gt "$h" ] && [ "$y" -gt "$fy" ] || fail "the windowed window has no title bar (frame $FRAME, client $CLIENT)"
echo "ok: No -> a framed window with a title bar around 800x600"

run_answering yes
[ "$CLIENT" = "1024 768 0 0" ] || fail "full-screen client area is $CLIENT, expected 1024 768 0 0"
[ "$FRAME" = "1024 768 0 0" ] || fail "the full-screen window has a frame: $FRAME around $CLIENT"
echo "ok: Yes -> no frame, the client area is the whole 1024x768 screen"
