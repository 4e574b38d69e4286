#!/usr/bin/env bash
# showroom.exe under Wine meets bad input as on Linux: a missing data file is named on standard
# error and the program runs on; a cut TGA shows the loader's box and the program runs on.
. "$(dirname "$0")/lib.sh"
data_folder "$OUT/missing" cristallo1.3ds
data_folder "$OUT/cuttga"
# The generated sky box is run-length coded: cut after 100 bytes, a packet header is missing.
head -c 100 "$DATA/sky_rocksday6.tga" >"$OUT/cuttga/sky_rocksday6.tga"
start_desktop

start_windowed_wine "$PROG" "$OUT/missing"
drive keys "$CAPTION" Escape >/dev/null
wait_exit 20
[ "$APP_RC" = 0 ] || fail "missing file: exit code $APP_RC"
[[ "$(log_of "$OUT/missing")" == "showroom: data file cristallo1.3ds not found in "*missing ]] ||
    fail "missing file: not one line naming the file and its folder: $(log_of "$OUT/missing")"
echo "ok: a missing data file is named with its folder and the program runs on"

start_wine_app "$PROG" "$OUT/cuttga"
drive box "Video!" no >/dev/null || fail "cut TGA: no start-up question"
text=$(drive box "ERROR" ok) || fail "cut TGA: no error box"
[ "$text" = "Could not read RLE header" ] || fail "cut TGA: the box said: $text"
wait_window "$CAPTION" >/dev/null || fail "cut TGA: the program did not run on"
drive keys "$CAPTION" Escape >/dev/null
wait_exit 20
[ "$APP_RC" = 0 ] || fail "cut TGA: exit code $APP_RC"
echo "ok: a cut TGA shows the loader's box and the program runs on"
