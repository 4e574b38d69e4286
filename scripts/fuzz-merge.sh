#!/usr/bin/env bash
# Merges what the fuzz runs found into the committed seeds, minimally: the committed seeds are the
# base of a fresh folder, libFuzzer's -merge=1 adds only the working-corpus inputs that reach new
# coverage (edges, not hit counts), and those are copied into fuzz/corpus/<name>/. Inputs are cut
# to FUZZ_MERGE_MAX_LEN bytes (4096) so the committed seeds stay small. Prints the sizes before
# and after.
# Usage: fuzz-merge.sh BUILDDIR [NAME...]   (default: every target with a working corpus)
set -eu
BUILDDIR=$1
shift
SRC=$(cd "$(dirname "$0")/.." && pwd)
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for d in "$BUILDDIR"/corpus-*; do [ -d "$d" ] && names+=("${d##*/corpus-}"); done
fi
# File count and bytes of a folder's files.
size() { find "$1" -type f -printf '%s\n' | awk '{ n++; s += $1 } END { printf "%d files, %d bytes", n, s }'; }
for name in "${names[@]}"; do
    seeds="$SRC/fuzz/corpus/$name"
    fresh="$BUILDDIR/merge-$name"
    rm -rf "$fresh" && mkdir -p "$fresh" "$seeds"
    cp "$seeds"/* "$fresh"/ 2>/dev/null || true
    before=$(size "$seeds")
    "$BUILDDIR/fuzz/fuzz_$name" -merge=1 -use_counters=0 -max_len="${FUZZ_MERGE_MAX_LEN:-4096}" "$fresh" "$BUILDDIR/corpus-$name" \
        >"$BUILDDIR/merge-$name.txt" 2>&1
    for f in "$fresh"/*; do [ -e "$seeds/${f##*/}" ] || cp "$f" "$seeds/"; done
    echo "$name: before $before; after $(size "$seeds")"
done
