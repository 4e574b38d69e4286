#!/usr/bin/env bash
# Runs a command on the current X display, or on a private Xvfb (800x600 windows fit) when
# there is none.
set -u
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then exec "$@"; fi
for n in $(seq 150 199); do
    [ -e /tmp/.X${n}-lock ] && continue
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    "$@"
    rc=$?
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    exit $rc
done
echo "no Xvfb could be started" >&2
exit 1
