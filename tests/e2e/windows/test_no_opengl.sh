#!/usr/bin/env bash
# showroom.exe under Wine on a display without OpenGL (an X server without GLX): as on Linux, the
# window cannot be made, the box says so and the program ends with exit code 0.
. "$(dirname "$0")/lib.sh"
data_folder "$OUT/run"
start_desktop -extension GLX

start_wine_app "$PROG" "$OUT/run"
drive box "Video!" no >/dev/null || fail "no start-up question"
text=$(drive box "Error" ok) || fail "no error box"
[ "$text" = "Impossibile creare la finestra per la rispettiva applicazione!" ] || fail "the box said: $text"
wait_exit 20
[ "$APP_RC" = 0 ] || fail "exit code $APP_RC"
echo "ok: without OpenGL the box says the window cannot be made and the program ends with 0"
