#!/usr/bin/env bash
# Runs the libFuzzer targets of a fuzz build, then prints each target's executions, rate and
# coverage from libFuzzer's final statistics. Each target runs on its working corpus
# BUILDDIR/corpus-<name>, seeded from fuzz/corpus/<name>, for FUZZ_SECONDS_<name> seconds (else
# FUZZ_SECONDS; 0 means no limit) and at most FUZZ_RUNS inputs (-1: no limit), FUZZ_JOBS targets
# at a time. Crash reproducers go to BUILDDIR/crashes-<name>/; logs to BUILDDIR/log-<name>.txt.
# Usage: fuzz.sh BUILDDIR [NAME...]   (default: every target)
set -u
BUILDDIR=$1
shift
SRC=$(cd "$(dirname "$0")/.." && pwd)
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
FUZZ_RUNS=${FUZZ_RUNS:--1}
FUZZ_JOBS=${FUZZ_JOBS:-1}
# An interrupt stops the fuzzers (each prints its figures); the script itself goes on to the table.
trap '' INT

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for f in "$BUILDDIR"/fuzz/fuzz_*; do [ -x "$f" ] && names+=("$(basename "$f" | sed 's/^fuzz_//')"); done
fi

run_one() {
    local name=$1 seconds var="FUZZ_SECONDS_$1"
    seconds=${!var:-$FUZZ_SECONDS}
    mkdir -p "$BUILDDIR/corpus-$name" "$BUILDDIR/crashes-$name"
    local seeds=()
    [ -d "$SRC/fuzz/corpus/$name" ] && seeds=("$SRC/fuzz/corpus/$name")
    echo "== $name: ${seconds} s, at most $FUZZ_RUNS runs"
    "$BUILDDIR/fuzz/fuzz_$name" -max_total_time="$seconds" -runs="$FUZZ_RUNS" -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$BUILDDIR/crashes-$name/" \
        "$BUILDDIR/corpus-$name" "${seeds[@]}" >"$BUILDDIR/log-$name.txt" 2>&1
}

# One summary line from a log: executions, executions per second, coverage, features, corpus.
# libFuzzer exits with 72 when interrupted (Ctrl-C), after printing its statistics.
summary() {
    local name=$1 rc=$2 log="$BUILDDIR/log-$1.txt"
    awk -v name="$name" -v rc="$rc" '
        /^stat::number_of_executed_units:/ { runs = $2 }
        /^stat::average_exec_per_sec:/ { rate = $2 }
        / cov: / { for (i = 1; i < NF; ++i) { if ($i == "cov:") cov = $(i + 1); if ($i == "ft:") ft = $(i + 1); if ($i == "corp:") corp = $(i + 1) } }
        END { printf "%-10s %12s %8s %7s %8s %12s  %s\n", name, runs, rate, cov, ft, corp, rc == 0 ? "ok" : rc == 72 ? "stopped" : "FAILED (see log)" }' "$log"
}

declare -A status
pids=()
for name in "${names[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$FUZZ_JOBS" ]; do wait -n; done
    run_one "$name" &
    pids+=("$!:$name")
done
failed=0
for entry in "${pids[@]}"; do
    wait "${entry%%:*}"
    status[${entry#*:}]=$?
done
printf "%-10s %12s %8s %7s %8s %12s  %s\n" target executions exec/s cov ft corpus result
for name in "${names[@]}"; do
    summary "$name" "${status[$name]}"
    case ${status[$name]} in 0 | 72) ;; *) failed=1 ;; esac
done
exit $failed
