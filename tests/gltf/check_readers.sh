#!/usr/bin/env bash
# vtrl3ds-convert on every real model and motion the library loads, judged from outside: the
# Khronos glTF-Validator wants 0 errors and 0 warnings, three.js reads every file back and agrees
# with the library (three_check.mjs). Texture maps found beside a model are embedded (.glb) or
# written beside (.gltf); a refused input and an unwritable output give exit 1 and no file.
# Usage: check_readers.sh CONVERT REFERENCE OUT REAL_DIR...
set -uo pipefail
convert=$1 reference=$2 out=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
"$here/../../scripts/install-npm.sh" "$out/npm" || fail "npm packages could not be installed"
export VTRL_NODE_MODULES=$out/npm/node_modules
rm -rf "$out/files" && mkdir -p "$out/files"

# Every real model and motion the library loads, one output folder per collection.
pairs=() outputs=()
n=0
for real in "$@"; do
  [ -d "$real" ] || continue
  n=$((n + 1))
  inputs=()
  for f in "$real"/3ds/*.3ds "$real"/ms3d_ascii/*.txt "$real"/bvh/*.bvh; do
    [ -f "$f" ] && "$reference" "$f" >/dev/null 2>&1 && inputs+=("$f")
  done
  mkdir -p "$out/files/$n"
  "$convert" "${inputs[@]}" -o "$out/files/$n" -j 2 2>/dev/null || fail "converting $real"
  for f in "${inputs[@]}"; do
    o="$out/files/$n/$(basename "${f%.*}").glb"
    pairs+=("$f" "$o") outputs+=("$o")
  done
done
[ ${#outputs[@]} -ge 10 ] || fail "only ${#outputs[@]} real files found"

# Texture maps beside a model: a BMP written again as PNG, found whatever the case of its name.
real=
for r in "$@"; do [ -f "$r/ms3d_ascii/seagull.txt" ] && [ -f "$r/3ds/mp5_sil.3ds" ] && real=$r; done
[ -n "$real" ] || fail "no collection holds seagull.txt and mp5_sil.3ds"
tex=$out/files/textured && mkdir -p "$tex"
cp "$real/ms3d_ascii/seagull.txt" "$real/bmp/gull.bmp" "$real/3ds/mp5_sil.3ds" "$tex/"
cp "$real/bmp/mp5sil.bmp" "$tex/MP5SIL.bmp"
"$convert" "$tex/seagull.txt" -o "$tex/seagull.glb" 2>"$tex/warnings" || fail "textured seagull"
"$convert" "$tex/mp5_sil.3ds" -o "$tex/mp5_sil.gltf" 2>>"$tex/warnings" || fail "textured mp5_sil"
[ ! -s "$tex/warnings" ] || fail "texture warnings: $(cat "$tex/warnings")"
[ -f "$tex/mp5_sil.bin" ] && [ -f "$tex/MP5SIL.png" ] || fail "the .gltf's .bin and PNG beside it"
grep -q '"mimeType":"image/png"' "$tex/seagull.glb" || fail "no embedded PNG in seagull.glb"
outputs+=("$tex/seagull.glb" "$tex/mp5_sil.gltf")

node "$here/validate.mjs" "${outputs[@]}" || fail "the validator found errors or warnings"
node "$here/three_check.mjs" "$reference" "${pairs[@]}" || fail "three.js disagrees with the library"

# Bad input: one line naming the file, exit 1, no output.
bad=$out/files/bad && mkdir -p "$bad"
printf 'not a model at all' >"$bad/junk.3ds"
"$convert" "$bad/junk.3ds" -o "$bad/junk.glb" 2>"$bad/err"
rc=$?
[ $rc -eq 1 ] || fail "a refused input gave exit $rc"
[ "$(wc -l <"$bad/err")" -eq 1 ] && grep -q "junk.3ds" "$bad/err" || fail "not one line naming the input: $(cat "$bad/err")"
[ -z "$(ls "$bad" | grep -v -e junk.3ds -e err)" ] || fail "output left behind: $(ls "$bad")"
# One bad input among good ones: the others are converted.
"$convert" "$bad/junk.3ds" "$real/3ds/cube_lib3ds.3ds" -o "$bad" 2>/dev/null
[ $? -eq 1 ] && [ -f "$bad/cube_lib3ds.glb" ] && [ ! -e "$bad/junk.glb" ] || fail "a bad input among good ones"
# An output folder that cannot be written.
"$convert" "$real/3ds/cube_lib3ds.3ds" -o "$bad/err/cube.glb" 2>/dev/null
[ $? -eq 1 ] || fail "an unwritable output did not give exit 1"
# A wrong command line.
"$convert" "$real/3ds/cube_lib3ds.3ds" -o "$bad/cube.obj" 2>/dev/null
[ $? -eq 2 ] || fail "a wrong command line did not give exit 2"
echo "ok: ${#outputs[@]} files valid, three.js agrees on ${#pairs[@]} / 2 files"
