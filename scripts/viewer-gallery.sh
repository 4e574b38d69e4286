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

# draw NAME FILE [OPTIONS...]
draw() {
    local name=$1 file=$2
    shift 2
    "$VIEWER" "$REAL/$file" --png "$OUT/$name.png" --size 320x240 "$@" 2>/dev/null
    # A 64-colour palette keeps each picture near 20 KB.
    convert "$OUT/$name.png" -dither None -colors 64 "PNG8:$OUT/$name.png"
}

draw allemagne 3ds/allemagne.3ds --yaw 30 --pitch 25          # WTFPL
draw mp5_sil 3ds/mp5_sil.3ds --yaw 30 --pitch 20              # free for any use; its BMP map
draw jeep1 3ds/jeep1.3ds --yaw 40 --pitch 20                  # free for any use
draw male1_soldier_1 ms3d_ascii/male1_soldier.txt --frame 1   # CC BY-SA 3.0, skinned
draw male1_soldier_15 ms3d_ascii/male1_soldier.txt --frame 15
draw cmu_walk_262 bvh/cmu_12_01_walk.bvh --frame 262 --yaw 60 # MIT / CMU, mid-motion
ls -l "$OUT"
