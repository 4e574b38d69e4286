#!/usr/bin/env bash
# Installs the npm packages the glTF checks use (versions pinned in tests/gltf/package-lock.json)
# into DIR/node_modules, never into the source tree. Does nothing when DIR already holds exactly
# that lock's packages. Usage: install-npm.sh DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/../tests/gltf" && pwd)
dir=$1
mkdir -p "$dir"
if [ -d "$dir/node_modules" ] && cmp -s "$src/package-lock.json" "$dir/.installed-lock.json"; then
  exit 0
fi
cp "$src/package.json" "$src/package-lock.json" "$dir/"
npm ci --prefix "$dir" --no-audit --no-fund --loglevel=error >/dev/null
cp "$src/package-lock.json" "$dir/.installed-lock.json"
