# Helpers of the end-to-end tests: a private Xvfb, finding windows by caption, pressing the
# start-up dialog's buttons and waiting for the program's exit code.
set -u

fail() { echo "FAIL: $*" >&2; exit 1; }

# The demo's data files, as the generator writes them and the program loads them.
DATA_FILES=(sky_rocksday6.tga positive_x.bmp negative_x.bmp positive_y.bmp negative_y.bmp positive_z.bmp
            negative_z.bmp cristallo1.3ds)

# Starts Xvfb on a free display with the given screen size (and any further Xvfb options); sets
# DISPLAY and XVFB_PID. The server keeps running between programs (-noreset): by default it resets
# when its last client leaves, and a program started during the reset finds no display.
start_xvfb() {
    local size=$1 n
    shift
    for n in $(seq 90 140); do
        [ -e /tmp/.X${n}-lock ] && continue
        Xvfb :$n -screen 0 ${size}x24 -nolisten tcp -noreset "$@" >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=:$n
        for _ in $(seq 50); do
            xwininfo -root >/dev/null 2>&1 && { trap stop_xvfb EXIT; return 0; }
            kill -0 $XVFB_PID 2>/dev/null || break
            sleep 0.1
        done
    done
    fail "no Xvfb could be started"
}

stop_xvfb() {
    [ -n "${APP_PID:-}" ] && kill $APP_PID 2>/dev/null
    kill $XVFB_PID 2>/dev/null
    wait $XVFB_PID 2>/dev/null
}

# Prints the id of the top-level window whose caption is exactly $1, waiting up to 10 s (under a
# window manager it is a child of the manager's frame, so the whole tree is searched).
wait_window() {
    local name=$1 id
    for _ in $(seq 100); do
        id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$name\"" | awk '{print $1}' | head -n 1)
        if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Width, height, x and y of a window: "W H X Y".
window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print w, h, x, y}'
}

# Clicks a button of the Yes/No dialog: Yes sits left of centre, No right of it.
click_dialog() {
    local id=$1 which=$2 w h x y bx by
    read -r w h x y <<<"$(window_geometry "$id")"
    if [ "$which" = yes ]; then bx=$((x + w * 30 / 100)); else bx=$((x + w * 70 / 100)); fi
    by=$((y + h * 72 / 100))
    xdotool mousemove $bx $by sleep 0.2 click 1
}

# Waits up to $1 seconds for APP_PID to end and sets APP_RC to its exit code, or fails.
# (Runs in the test's own shell: only the parent can collect the exit code.)
wait_exit() {
    local seconds=$1
    for _ in $(seq $((seconds * 10))); do
        if ! kill -0 $APP_PID 2>/dev/null || [ "$(ps -o stat= -p $APP_PID 2>/dev/null | cut -c1)" = Z ]; then
            wait $APP_PID
            APP_RC=$?
            APP_PID=
            return 0
        fi
        sleep 0.1
    done
    fail "the program did not end within $seconds s"
}

# Starts the program in folder $2 (its data folder), output to $2/showroom.log.
start_app() {
    local prog=$1 dir=$2
    mkdir -p "$dir"
    (cd "$dir" && exec "$prog" >"$dir/showroom.log" 2>&1) &
    APP_PID=$!
}

# Mean red, green and blue (0..1) of a region "WxH+X+Y" of an image.
region_mean() {
    convert "$1" -crop "$2" +repage -format "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]" info:
}

# Normalised root-mean-square difference (0..1) of two images, or of one region of both.
image_diff() {
    local a=$1 b=$2 region=${3:-}
    if [ -n "$region" ]; then
        convert "$a" -crop "$region" +repage /tmp/e2e_a_$$.png
        convert "$b" -crop "$region" +repage /tmp/e2e_b_$$.png
        a=/tmp/e2e_a_$$.png
        b=/tmp/e2e_b_$$.png
    fi
    compare -metric RMSE "$a" "$b" null: 2>&1 | sed -E 's/.*\(([0-9.e-]+)\).*/\1/'
}

# True when $1 > $2 (floating point).
greater() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Fails unless picture $1 (the 800 by 600 window) shows sky blue at the top and the bright water
# below the horizon, as the first frame does.
sky_and_water() {
    local r g b
    read -r r g b <<<"$(region_mean "$1" 800x120+0+0)"
    greater "$b" "$r" && greater "$b" 0.35 || fail "the sky box's top is not sky blue (mean $r $g $b)"
    read -r r g b <<<"$(region_mean "$1" 800x150+0+450)"
    greater "$(awk -v r=$r -v g=$g -v b=$b 'BEGIN{print r+g+b}')" 0.6 || fail "no water below the horizon (mean $r $g $b)"
}

# Starts the program in $2, answers No and sets MAIN to its window; fails if anything is missing.
start_windowed() {
    start_app "$1" "$2"
    local dialog
    dialog=$(wait_window "Video!") || fail "no start-up dialog"
    click_dialog "$dialog" no
    MAIN=$(wait_window "Texture CubeMap - 1-6/cambia elemento - R/riflesso - N/normale") || fail "no program window"
    xdotool windowfocus "$MAIN" 2>/dev/null
    read -r WIN_W WIN_H WIN_X WIN_Y <<<"$(window_geometry "$MAIN")"
}

# Lets a few frames pass, then saves the window's picture as $1.
shot() {
    sleep "${2:-0.8}"
    import -window "$MAIN" "$1"
}
