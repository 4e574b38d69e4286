#!/usr/bin/env bash
# The libraries and programs as another project sees them: a build installed into a temporary
# prefix and then moved (nothing may depend on where it was installed); public headers only, each
# compiling on its own; both examples built against it with find_package and the model example
# again with pkg-config, run on a real model; the installed showroom started from another folder.
# Usage: test_install.sh BUILD_DIR
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "$1" && pwd)
. "$ROOT/tests/e2e/lib.sh"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
P=$WORK/moved

quiet() {  # runs a command, showing its output only when it fails
    "$@" >"$WORK/log" 2>&1 || { cat "$WORK/log" >&2; fail "$*"; }
}

quiet cmake --install "$BUILD" --prefix "$WORK/installed"
mv "$WORK/installed" "$P"

# Headers: the same include paths as inside the tree; no test seam, no internal header.
for h in vitrail/window.h vitrail/cubemap.h vitrail/platform/platform.h vtrl3ds/model.h vtrl3ds/skeleton.h \
         vtrl3ds/host.h vtrl3ds/vtrl3ds.h vtrl3ds/version.h vitrail/vitrail.h vitrail/version.h; do
    [ -f "$P/include/$h" ] || fail "public header $h is not installed"
done
for h in vitrail/platform/platform_test.h vitrail/platform/internal.h vitrail/platform/text.h \
         vtrl3ds/private/checked.h vtrl3ds/private/chunks.h vtrl3ds/private/ms3dtext.h; do
    [ ! -e "$P/include/$h" ] || fail "private header $h is installed"
done
for h in $(cd "$P/include" && find . -name '*.h' | sort); do
    echo "#include \"${h#./}\"" | g++ -std=c++20 -Wall -Wextra -Werror -fsyntax-only -I"$P/include" -x c++ - ||
        fail "installed header ${h#./} does not compile on its own"
done
echo "ok: public headers only, each compiling on its own"

# Both examples with find_package; the model example again with pkg-config's flags.
for e in teapot model-info; do
    quiet cmake -S "$ROOT/examples/$e" -B "$WORK/$e" -DCMAKE_PREFIX_PATH="$P"
    quiet cmake --build "$WORK/$e"
done
export PKG_CONFIG_PATH=$P/lib/pkgconfig
[ "$(pkg-config --modversion vitrail vtrl3ds | tr '\n' ' ')" = "1.0.0 1.0.0 " ] || fail "pkg-config versions"
quiet g++ -std=c++20 "$ROOT/examples/model-info/main.cpp" -o "$WORK/model-info-pc" $(pkg-config --cflags --libs vtrl3ds)
# Reading models needs neither the toolkit nor SDL2.
for prog in "$WORK/model-info/model-info" "$WORK/model-info-pc"; do
    ! ldd "$prog" | grep -q -i -E 'sdl|vitrail' || fail "$prog links the toolkit or SDL2"
done
! grep -q -i -E 'sdl|vitrail' "$WORK/model-info/CMakeFiles/model-info.dir/link.txt" || fail "model-info's link line names the toolkit or SDL2"
echo "ok: examples built with find_package and with pkg-config"

# The README's motion example, as printed there, built with pkg-config's flags and run on a motion
# (the Chest joint's place at frame 30 as the library poses it; the pose itself is checked against
# assimp in the unit tests).
awk '/<!-- example: bvh-pose/ {on = 1; next} on && /^```cpp/ {code = 1; next} code && /^```/ {exit} code' \
    "$ROOT/README.md" >"$WORK/pose.cpp"
[ -s "$WORK/pose.cpp" ] || fail "no motion example in the README"
quiet g++ -std=c++20 -Wall -Wextra -Werror "$WORK/pose.cpp" -o "$WORK/pose" $(pkg-config --cflags --libs vtrl3ds)
out=$(LD_LIBRARY_PATH=$P/lib "$WORK/pose" "$ROOT/tests/data/real/bvh/pybvh_test2_yxz.bvh") || fail "pose: exit code $?"
[ "$out" = "Chest at frame 30 of 61: 147.091 105.499 -13.5773" ] || fail "pose prints '$out'"
echo "ok: the README's motion example builds and prints $out"

MODEL=$ROOT/tests/data/real/3ds/cube_lib3ds.3ds
cat >"$WORK/expected" <<END
$MODEL: 2 meshes, 3 materials
mesh 'camera01': 0 vertices, 0 faces
mesh 'cube': 8 vertices, 12 faces
material 'c_tex': diffuse 0.588 0.588 0.588, opacity 1.000, texture 'cube.tga'
material 'c_red': diffuse 1.000 0.000 0.000, opacity 1.000, texture ''
material 'c_blue': diffuse 0.000 0.000 1.000, opacity 1.000, texture ''
box: (-10, -15, -10) to (10, 15, 10)
END
for prog in "$WORK/model-info/model-info" "$WORK/model-info-pc"; do
    LD_LIBRARY_PATH=$P/lib "$prog" "$MODEL" >"$WORK/out" 2>&1 || fail "$prog: exit code $?"
    diff -u "$WORK/expected" "$WORK/out" >&2 || fail "$prog prints something else"
done
echo "ok: the model example prints the model's meshes, materials and box"

# The installed command from another folder: answer No, one frame with the sky box, Escape.
start_xvfb 1280x1024
trap 'stop_xvfb; rm -rf "$WORK"' EXIT
start_windowed "$P/bin/showroom" "$WORK/elsewhere"
shot "$WORK/installed.png" 1.5
read -r r g b <<<"$(region_mean "$WORK/installed.png" 800x120+0+0)"
greater "$b" "$r" && greater "$b" 0.35 || fail "no sky box at the top of the picture (mean $r $g $b)"
xdotool key Escape
wait_exit 5
[ "$APP_RC" = 0 ] || fail "installed showroom, Escape: exit code $APP_RC"
echo "ok: the installed showroom runs from another folder and draws its sky box"
