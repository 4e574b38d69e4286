#!/usr/bin/env bash
# Soak run of the real program: showroom under a private Xvfb, driven by a scripted user (keys 1
# to 6, R, N, left and right drags, paced a few events per second), its resident memory sampled
# every 30 seconds into a series file. Fails when the largest sample after the first minute
# exceeds the one-minute sample by more than 5%, when the program dies, or when Escape does not
# end it with exit code 0.
# Usage: soak.sh MINUTES SHOWROOM DATADIR OUTDIR   (series: OUTDIR/rss.txt, "seconds rss_kib")
set -u
MINUTES=$1
PROG=$(realpath "$2")
DATA=$(realpath "$3")
OUT=$(realpath -m "$4")
SAMPLE_SECONDS=30
. "$(dirname "$0")/../tests/e2e/lib.sh"
[ "$MINUTES" -ge 2 ] 2>/dev/null || fail "MINUTES must be a whole number of at least 2, not '$MINUTES'"

# The program and its data are copied, so a rebuild during the run changes nothing.
rm -rf "$OUT" && mkdir -p "$OUT/run"
cp "$PROG" "$OUT/showroom" || fail "no program at $PROG"
for f in "${DATA_FILES[@]}"; do
    cp "$DATA/$f" "$OUT/run/" || fail "data file $f missing in $DATA"
done
start_xvfb 1280x1024
start_windowed "$OUT/showroom" "$OUT/run"

rss_kib() { awk '/^VmRSS:/{print $2}' "/proc/$1/status" 2>/dev/null; }

# One round of scripted input, about 12 seconds: every element, both mappings, a turn there and
# back, a move nearer and back. Moves are spaced so even a slow frame rate keeps up with them.
drive_round() {
    local k cx=$((WIN_X + 400)) cy=$((WIN_Y + 300))
    for k in 1 2 3 4 5 6; do xdotool key $k; sleep 0.5; done
    xdotool key r; sleep 0.5
    xdotool key n; sleep 0.5
    xdotool key r; sleep 0.5
    xdotool mousemove $cx $cy mousedown 1
    for _ in $(seq 9); do xdotool mousemove_relative -- 10 0; sleep 0.1; done
    for _ in $(seq 9); do xdotool mousemove_relative -- -10 0; sleep 0.1; done
    xdotool mouseup 1; sleep 0.3
    xdotool mousemove $cx $cy mousedown 3
    for _ in $(seq 3); do xdotool mousemove_relative -- 0 10; sleep 0.1; done
    for _ in $(seq 3); do xdotool mousemove_relative -- 0 -10; sleep 0.1; done
    xdotool mouseup 3; sleep 0.3
}

drive() {
    while kill -0 $APP_PID 2>/dev/null; do
        xdotool windowfocus "$MAIN" 2>/dev/null
        drive_round
    done
}

drive &
DRIVER_PID=$!
trap 'kill $DRIVER_PID 2>/dev/null; stop_xvfb' EXIT

: >"$OUT/rss.txt"
start=$SECONDS
for t in $(seq 0 $SAMPLE_SECONDS $((MINUTES * 60))); do
    while [ $((SECONDS - start)) -lt $t ]; do sleep 1; done
    rss=$(rss_kib $APP_PID)
    [ -n "$rss" ] || fail "the program ended after $((SECONDS - start)) s (see $OUT/run/showroom.log)"
    echo "$t $rss" | tee -a "$OUT/rss.txt"
done
kill $DRIVER_PID 2>/dev/null
wait $DRIVER_PID 2>/dev/null
import -window "$MAIN" "$OUT/last_frame.png" 2>/dev/null

xdotool windowfocus "$MAIN" 2>/dev/null
xdotool key Escape
wait_exit 30
[ "$APP_RC" = 0 ] || fail "Escape: exit code $APP_RC"

# Growth after the first minute: the largest later sample against the one-minute sample.
read -r base peak <<<"$(awk '$1 == 60 {b = $2} $1 > 60 && $2 > p {p = $2} END {print b, p}' "$OUT/rss.txt")"
growth=$(awk -v b="$base" -v p="$peak" 'BEGIN {printf "%.2f", (p - b) * 100 / b}')
echo "resident memory at one minute $base KiB, largest later $peak KiB: growth $growth%"
greater "$growth" 5 && fail "memory grew by $growth% after the first minute"
echo "ok: $MINUTES minutes, exit code 0 on Escape"
