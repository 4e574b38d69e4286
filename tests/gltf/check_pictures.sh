#!/usr/bin/env bash
# A real client: three.js in headless Chromium draws three converted models (a 3DS and a MilkShape
# one, and a 3DS keyframer scene at its first frame) with the viewer's camera, and each silhouette
# must cover the same pixels as vtrl3ds-view's own picture of the model by at least 90%
# (intersection over union): a mirror, a wrong axis or faces turned inside out fail. The pictures stay in OUT for a person to look at.
# Usage: check_pictures.sh CONVERT VIEWER OUT REAL_DIR
set -uo pipefail
convert=$1 viewer=$2 out=$3 real=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
"$here/../../scripts/install-npm.sh" "$out/npm" || fail "npm packages could not be installed"
export VTRL_NODE_MODULES=$out/npm/node_modules
pictures=$out/pictures && rm -rf "$pictures" && mkdir -p "$pictures"
for model in 3ds/jeep1.3ds ms3d_ascii/gasstation1.txt 3ds/CameraRollAnimWithChildObject.3ds; do
  [ -f "$real/$model" ] || fail "no $real/$model"
  name=$(basename "${model%.*}")
  "$viewer" "$real/$model" --png "$pictures/$name-viewer.png" --size 480x360 --yaw 30 --pitch 20 2>/dev/null ||
    fail "the viewer's picture of $model"
  "$convert" "$real/$model" -o "$pictures/$name.glb" 2>/dev/null || fail "converting $model"
  result=$(timeout 150 node "$here/serve_draw.mjs" "$pictures/$name.glb" "$pictures/$name-viewer.png" \
    "$pictures/$name-three.png" 480 360 30 20) || fail "$model: $result"
  echo "$model: $result"
  awk -v r="$result" 'BEGIN { split(r, f, " "); exit !(f[2] >= 0.9) }' || fail "$model: overlap below 0.9"
  rm -rf "$pictures"/chromium-* 2>/dev/null || true  # Chromium may still be writing its profile
done
