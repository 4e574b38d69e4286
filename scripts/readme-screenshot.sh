#!/usr/bin/env bash
# Remakes docs/showroom.png from the end-to-end demo test's screenshots (the water at start, the
# sphere, the teapot and the crystal), taken under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
(cd "$BUILD" && ctest -R e2e.test_demo --output-on-failure)
shots="$BUILD/tests/e2e/demo"
montage "$shots/first.png" "$shots/key2.png" "$shots/key4.png" "$shots/key5.png" -tile 2x2 \
    -geometry 400x300+2+2 -background '#202020' miff:- |
    convert - -dither FloydSteinberg -colors 256 -define png:compression-level=9 docs/showroom.png
echo "wrote docs/showroom.png"
