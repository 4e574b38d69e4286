#!/usr/bin/env bash
# Merges what the fuzz runs found into the committed seeds, minimally: the committed seeds are the
# base of a fresh folder, libFuzzer's -merge=1 adds only the working-corpus inputs that reach new
# coverage, and those are copied into fuzz/corpus/<name>/. Inputs are cut to FUZZ_MERGE_MAX_LEN
# bytes (4096) so the committed seeds stay small. Prints the sizes before and after.
# Usage: fuzz-merge.sh BUILDDIR [NAME...]   (default: every target with a working corpus)
set -eu
BUILDDIR=$1
shift
SRC=$(cd "$(dirname "$0")/.." && pwd)
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for d in "$BUILDDIR"/corpus-*; do [ -d "$d" ] && names+=("${d##*/corpus-}"); done
fi
for name in "${names[@]}"; do
    seeds="$SRC/fuzz/corpus/$name"
    fresh="$BUILDDIR/merge-$name"
    rm -rf "$fresh" && mkdir -p "$fresh" "$seeds"
    cp "$seeds"/* "$fresh"/ 2>/dev/null || true
    before="$(ls "$seeds" | wc -l) files, $(du -sb "$seeds" | cut -f1) bytes"
    "$BUILDDIR/fuzz/fuzz_$name" -merge=1 -max_len="${FUZZ_MERGE_MAX_LEN:-4096}" "$fresh" "$BUILDDIR/corpus-$name" \
        >"$BUILDDIR/merge-$name.txt" 2>&1
    for f in "$fresh"/*; do [ -e "$seeds/${f##*/}" ] || cp "$f" "$seeds/"; done
    echo "$name: before $before; after $(ls "$seeds" | wc -l) files, $(du -sb "$seeds" | cut -f1) bytes"
done
