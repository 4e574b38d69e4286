#!/usr/bin/env bash
# Builds the web page into BUILD/web: the model library's core and the page's module compiled to
# WebAssembly with Debian's Emscripten (BUILD/web-wasm), the page's own files, and three.js copied
# from the npm package pinned in web/package-lock.json (installed into BUILD/npm, never committed).
# Usage: scripts/build-web.sh BUILD JOBS
set -euo pipefail
build=${1:-build}
jobs=${2:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export NODE_PATH=/usr/share/nodejs  # Debian's Emscripten runs its JavaScript tools with Debian's node modules

npm_dir=$build/npm
if ! cmp -s web/package-lock.json "$npm_dir/package-lock.json" || [ ! -d "$npm_dir/node_modules" ]; then
  mkdir -p "$npm_dir"
  cp web/package.json web/package-lock.json "$npm_dir/"
  npm ci --prefix "$npm_dir" --no-audit --no-fund --loglevel=error
fi

wasm=$build/web-wasm
if [ ! -f "$wasm/CMakeCache.txt" ]; then
  emcmake cmake -S . -B "$wasm" -DCMAKE_BUILD_TYPE=Release -DVTRL_WARNINGS_AS_ERRORS=ON >/dev/null
fi
cmake --build "$wasm" -j "$jobs"

out=$build/web
three=$npm_dir/node_modules/three
rm -rf "$out"
mkdir -p "$out/three/addons/controls" "$out/three/addons/loaders"
cp web/index.html web/style.css web/viewer.js web/scene.js "$out/"
cp "$wasm/web/vtrl3ds_web.js" "$wasm/web/vtrl3ds_web.wasm" "$out/"
cp "$three/build/three.module.js" "$three/build/three.core.js" "$three/LICENSE" "$out/three/"
cp "$three/examples/jsm/controls/OrbitControls.js" "$out/three/addons/controls/"
cp "$three/examples/jsm/loaders/TGALoader.js" "$out/three/addons/loaders/"
echo "web page in $out ($(($(stat -c %s "$out/vtrl3ds_web.js") + $(stat -c %s "$out/vtrl3ds_web.wasm"))) bytes of module)"
