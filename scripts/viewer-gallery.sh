#!/usr/bin/env bash
# Remakes the README's gallery of the model viewer: real files drawn headless by vtrl3ds-view into
# docs/, each 320 by 240 and reduced to a small palette. Only files whose licence lets their
# pictures be published are drawn (see SOURCES.md beside the files).
# Usage: scripts/viewer-gallery.sh [VIEWER] [REAL_FILES_DIR]
set -eu
cd "$(dirname "$0")/.."
VIEWER=${1:-build/tools/vtrl3ds-view/vtrl3ds-view}
REAL=${2:-../shared/testdata/real}
OUT=docs/viewer
mkdir -p "$OUT"
# The collection keeps images apart from models: models and their maps go side by side here.
SIDE=$(mktemp -d)
trap 'rm -rf "$SIDE"' EXIT
cp "$REAL/3ds/mp5_sil.3ds" "$REAL/bmp/mp5sil.bmp" "$REAL/ms3d_ascii/seagull.txt" "$REAL/bmp/gull.bmp" "$SIDE/"

# draw NAME FILE [OPTIONS...]; FILE is relative to the collection, or a path
draw() {
    local name=$1 file=$2
    shift 2
    [ -e "$file" ] || file=$REAL/$file
    "$VIEWER" "$file" --png "$OUT/$name.png" --size 320x240 "$@" 2>/dev/null
    # A 64-colour palette keeps each picture near 20 KB.
    convert "$OUT/$name.png" -dither None -colors 64 "PNG8:$OUT/$name.png"
}

draw indochine 3ds/indochine.3ds                     # WTFPL
draw mp5_sil "$SIDE/mp5_sil.3ds"                     # free for any use; its BMP map MP5SIL.BMP
draw jeep1 3ds/jeep1.3ds --yaw 40                    # free for any use
draw seagull_1 "$SIDE/seagull.txt" --frame 1         # GPL-2.0; skinned, animated, its map .\gull.bmp
draw seagull_13 "$SIDE/seagull.txt" --frame 13
draw pybvh_test2_30 bvh/pybvh_test2_yxz.bvh --frame 30 --yaw 60   # MIT; mid-motion
ls -l "$OUT"
