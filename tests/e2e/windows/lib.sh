# Helpers of the Windows end-to-end tests, on top of the Linux ones (../lib.sh): Wine in a private
# Xvfb with openbox, the program started in a data folder, the driver run inside Wine, and Wine's
# console output with its CR LF line ends stripped. Every test takes the same arguments:
# SHOWROOM.EXE DRIVE.EXE OUTDIR DATADIR, and writes below OUTDIR/<its name>.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
PROG=$1
DRIVE=$2
OUT=$3/$(basename "$0" .sh)
DATA=$4
rm -rf "$OUT"
WINE_RUN="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)/scripts/wine-run.sh"
CAPTION="Texture CubeMap - 1-6/cambia elemento - R/riflesso - N/normale"

# A run folder $1 holding the demo's data files, less those named after it.
data_folder() {
    local dir=$1 f
    shift
    mkdir -p "$dir"
    for f in "${DATA_FILES[@]}"; do
        [[ " $* " == *" $f "* ]] || cp "$DATA/$f" "$dir/" || fail "data file $f was not generated"
    done
}

# Xvfb (with the Xvfb options given) and openbox; Wine's server is stopped with them.
start_desktop() {
    start_xvfb 1280x1024 "$@"
    openbox >/dev/null 2>&1 &
    WM_PID=$!
    trap 'wineserver -k 2>/dev/null; kill $WM_PID 2>/dev/null; stop_xvfb' EXIT
}

# Starts Windows program $1 under Wine in folder $2, output to $2/showroom.log.
start_wine_app() {
    local prog=$1 dir=$2
    mkdir -p "$dir"
    (cd "$dir" && exec "$WINE_RUN" "$prog" >"$dir/showroom.log" 2>&1) &
    APP_PID=$!
}

# Runs the driver inside Wine (drive.cpp): prints what it prints, without carriage returns.
drive() {
    "$WINE_RUN" "$DRIVE" "$@" | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# The program's log without carriage returns.
log_of() { tr -d '\r' <"$1/showroom.log"; }

# Starts the program in $2, answers the start-up question No and sets MAIN to its window.
start_windowed_wine() {
    start_wine_app "$1" "$2"
    drive box "Video!" no >/dev/null || fail "no start-up question"
    MAIN=$(wait_window "$CAPTION") || fail "no program window"
}
