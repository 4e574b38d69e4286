#!/usr/bin/env bash
# What a newcomer meets with data files missing or broken: each missing file is named on
# standard error with the folder looked in, and the program runs on; a cube map without one face
# shows no environment (the sphere is drawn in one plain colour); a broken model or cube face
# ends the program with one plain line naming the file, what was expected and what was found.
# Usage: test_missing_files.sh SHOWROOM OUTDIR XCLOSE DATADIR
PROG=$1
OUT=$2/missing_files
DATA=$4
. "$(dirname "$0")/lib.sh"
rm -rf "$OUT" && mkdir -p "$OUT/empty" "$OUT/noface" "$OUT/cutmodel" "$OUT/cutface" "$OUT/cutrows"
for dir in noface cutmodel cutface cutrows; do cp "$DATA"/*.tga "$DATA"/*.bmp "$DATA"/*.3ds "$OUT/$dir/"; done
rm "$OUT/noface/positive_x.bmp"
head -c 30000 "$DATA/cristallo1.3ds" >"$OUT/cutmodel/cristallo1.3ds"
head -c 20 "$DATA/negative_y.bmp" >"$OUT/cutface/negative_y.bmp"
head -c 1000 "$DATA/negative_y.bmp" >"$OUT/cutrows/negative_y.bmp"
start_xvfb 1024x768

# Started from a folder without data: eight lines, one per file, and the program runs.
start_windowed "$PROG" "$OUT/empty"
xdotool key Escape
wait_exit 5
[ "$APP_RC" = 0 ] || fail "empty folder: exit code $APP_RC"
for f in "${DATA_FILES[@]}"; do
    [ "$(grep -c -F "showroom: data file $f not found in $OUT/empty" "$OUT/empty/showroom.log")" = 1 ] ||
        fail "no line naming $f and its folder: $(cat "$OUT/empty/showroom.log")"
done
[ "$(wc -l <"$OUT/empty/showroom.log")" = 8 ] || fail "expected 8 lines: $(cat "$OUT/empty/showroom.log")"
echo "ok: each missing data file is named once with the folder"

# Without positive_x.bmp the sphere shows no environment: one plain colour, no texture.
start_windowed "$PROG" "$OUT/noface"
xdotool key 2
shot "$OUT/noface_sphere.png" 1.2
spread=$(convert "$OUT/noface_sphere.png" -crop 100x100+350+250 +repage -format "%[fx:standard_deviation]" info:)
greater 0.01 "$spread" || fail "the sphere without a cube face is textured (spread $spread)"
xdotool key Escape
wait_exit 5
grep -q -F "positive_x.bmp not found" "$OUT/noface/showroom.log" || fail "positive_x.bmp was not reported"
echo "ok: an incomplete cube map shows no environment"

# A cut model and a cube face cut in its header or in its rows end the program with one plain line.
for case in "cutmodel|showroom: cristallo1.3ds: Load3DSFromStream: |needs 5120 bytes at offset 26078 but the data ends at offset 30000" \
            "cutface|showroom: GetBMPDepth: negative_y.bmp: file too short, |expected 54 header bytes but got 20" \
            "cutrows|showroom: CheckCubeMapTex: negative_y.bmp: its |-bit pixels could not be decoded from its 1000 bytes (cut short, or stored in a way the reader does not know)"; do
    IFS='|' read -r dir start end <<<"$case"
    start_app "$PROG" "$OUT/$dir"
    dialog=$(wait_window "Video!") || fail "$dir: no start-up dialog: $(cat "$OUT/$dir/showroom.log")"
    click_dialog "$dialog" no
    wait_exit 10
    [ "$APP_RC" = 1 ] || fail "$dir: exit code $APP_RC"
    log=$(cat "$OUT/$dir/showroom.log")
    [[ "$log" == "$start"*"$end" ]] || fail "$dir: the message is not plain: $log"
done
echo "ok: a cut model and a cut cube face end the program with a plain message"
