#!/usr/bin/env bash
# The Debian package `make package` wrote: its fields (a Depends line computed from the programs'
# shared libraries, naming SDL2, GL and GLU) and its files (programs, libraries, public headers,
# CMake and pkg-config files, data files, documentation with every picture the README links, the
# copyright file, a manual page for every program, the Python module; no private header).
# Usage: test_package.sh DEB
DEB=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$DEB" ] || fail "no package $DEB"

[ "$(dpkg-deb -f "$DEB" Package)" = showroom ] || fail "package name"
[ "$(dpkg-deb -f "$DEB" Version)" = 1.0.0 ] || fail "package version"
[ "$(dpkg-deb -f "$DEB" Architecture)" = "$(dpkg --print-architecture)" ] || fail "package architecture"
depends=$(dpkg-deb -f "$DEB" Depends)
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
for lib in libsdl2-2.0-0 libgl1 libopengl0 libglu1-mesa libstdc++6 libc6; do
    grep -qxF "$lib" <<<"$names" || fail "Depends does not name $lib: $depends"
done
echo "ok: Depends: $depends"

files=$(dpkg-deb -c "$DEB" | awk '{print $6}')
for f in usr/bin/showroom usr/bin/vtrl3ds-info usr/bin/vtrl3ds-convert usr/include/vtrl3ds/gltf.h usr/libexec/showroom/showroom \
         usr/lib/libvitrail.a usr/lib/libvtrl3ds.a \
         usr/include/vitrail/window.h usr/include/vitrail/platform/platform.h usr/include/vtrl3ds/model.h \
         usr/lib/cmake/Vitrail/VitrailConfig.cmake usr/lib/cmake/Vitrail/VitrailConfigVersion.cmake \
         usr/lib/cmake/VTRL3DS/VTRL3DSConfig.cmake usr/lib/cmake/VTRL3DS/VTRL3DSConfigVersion.cmake \
         usr/lib/pkgconfig/vitrail.pc usr/lib/pkgconfig/vtrl3ds.pc \
         usr/share/showroom/sky_rocksday6.tga usr/share/showroom/positive_x.bmp usr/share/showroom/negative_z.bmp \
         usr/share/showroom/cristallo1.3ds usr/share/doc/showroom/README.md; do
    grep -qx "\./$f" <<<"$files" || fail "the package does not hold /$f"
done
# Every picture the packaged README links is in the package beside it.
doc=usr/share/doc/showroom
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$DEB" "$tmp"
for picture in $(grep -o '](docs/[^)]*)' "$tmp/$doc/README.md" | sed 's/^](//; s/)$//; s/#.*//' | sort -u); do
    grep -qx "\./$doc/$picture" <<<"$files" || fail "the README links $picture, which is not packaged"
done
grep -q "^License: Expat" "$tmp/$doc/copyright" && grep -q "the showroom authors" "$tmp/$doc/copyright" ||
    fail "no copyright file naming the licence"
# A manual page for every command, naming it and its --help options.
for program in $(grep -o '^\./usr/bin/[^/]\+$' <<<"$files" | sed 's|^\./usr/bin/||'); do
    page=usr/share/man/man1/$program.1.gz
    grep -qx "\./$page" <<<"$files" || fail "no manual page for $program"
    text=$(zcat "$tmp/$page")
    grep -qF "$program \\- " <<<"$text" && grep -qF -- '\-\-version' <<<"$text" || fail "$page does not describe $program"
done
echo "ok: README pictures, copyright, manual pages of $(grep -c '^\./usr/bin/[^/]\+$' <<<"$files") programs"
python=$(grep -x '\./usr/lib/python3/dist-packages/vtrl3ds\.cpython-.*\.so' <<<"$files") ||
    fail "the package does not hold the Python module"
grep -qx "\./usr/lib/python3/dist-packages/vtrl3ds.pyi" <<<"$files" || fail "the package does not hold vtrl3ds.pyi"
grep -q "python3-numpy" <<<"$depends" || fail "Depends does not name python3-numpy: $depends"
# The shipped module imports in Debian's python and reads a motion, unpacked where apt would put it.
PYTHONPATH="$tmp/usr/lib/python3/dist-packages" /usr/bin/python3 - "$(dirname "$0")/../data/real/bvh/rotation_first_root.bvh" <<'PY' ||
import sys, vtrl3ds
m = vtrl3ds.load_motion(sys.argv[1])
assert m.world_positions().shape == (m.frame_count, len(m.joints), 3)
PY
    fail "the packaged Python module does not import and read a motion"
echo "ok: ${python#./}"
! grep -Eq "platform_test.h|internal.h|chunks.h|ms3dtext.h|platform/text.h|vtrl3ds/private/" <<<"$files" ||
    fail "the package holds a private header"
echo "ok: $(basename "$DEB"): $(wc -l <<<"$files") entries, $(stat -c %s "$DEB") bytes"
