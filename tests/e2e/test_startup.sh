#!/usr/bin/env bash
# The real program under Xvfb, driven like a person: answer the start-up question, see the
# window, press a key, drag, press Escape; answer Yes for full screen; close from the window frame.
# Usage: test_startup.sh SHOWROOM OUTDIR XCLOSE
PROG=$1
OUT=$2
XCLOSE=$3
. "$(dirname "$0")/lib.sh"
CAPTION="Texture CubeMap - 1-6/cambia elemento - R/riflesso - N/normale"
rm -rf "$OUT/startup" && mkdir -p "$OUT/startup"
start_xvfb 1280x1024

# No: an 800 by 600 window; a key, a drag, then Escape ends the program with 0.
start_app "$PROG" "$OUT/startup/no"
dialog=$(wait_window "Video!") || fail "no start-up dialog"
import -window root "$OUT/startup/dialog.png"
click_dialog "$dialog" no
main=$(wait_window "$CAPTION") || fail "no program window after answering No"
read -r w h x y <<<"$(window_geometry "$main")"
[ "$w" = 800 ] && [ "$h" = 600 ] || fail "window is ${w}x${h}, expected 800x600"
xdotool windowfocus "$main" 2>/dev/null
sleep 0.5
import -window root "$OUT/startup/first_frame.png"
xdotool key 2
xdotool mousemove $((x + 300)) $((y + 300)) mousedown 1 mousemove_relative -- 45 0 mousemove_relative -- 45 0 mouseup 1
sleep 0.3
kill -0 $APP_PID 2>/dev/null || fail "the program died after a key and a drag"
xdotool key Escape
wait_exit 5
[ "$APP_RC" = 0 ] || fail "Escape: exit code $APP_RC"
echo "ok: No -> 800x600, Escape -> exit code 0"

# Yes: the window covers the screen.
start_app "$PROG" "$OUT/startup/yes"
dialog=$(wait_window "Video!") || fail "no start-up dialog (second run)"
click_dialog "$dialog" yes
main=$(wait_window "$CAPTION") || fail "no program window after answering Yes"
read -r w h x y <<<"$(window_geometry "$main")"
[ "$w $h $x $y" = "1280 1024 0 0" ] || fail "full-screen window is ${w}x${h}+${x}+${y}, expected 1280x1024+0+0"
xdotool windowfocus "$main" 2>/dev/null
xdotool key Escape
wait_exit 5
[ "$APP_RC" = 0 ] || fail "full screen, Escape: exit code $APP_RC"
echo "ok: Yes -> the whole 1280x1024 screen"

# The window frame's close request also ends the program with 0.
start_app "$PROG" "$OUT/startup/close"
dialog=$(wait_window "Video!") || fail "no start-up dialog (third run)"
click_dialog "$dialog" no
main=$(wait_window "$CAPTION") || fail "no program window (third run)"
"$XCLOSE" "$main"
wait_exit 5
[ "$APP_RC" = 0 ] || fail "close request: exit code $APP_RC"
echo "ok: close request -> exit code 0"
