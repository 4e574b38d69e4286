#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine (in WINEPREFIX, the build folder's own prefix
# when the build runs it), with Wine's own chatter off. The program's exit code is passed on.
set -euo pipefail
export WINEPREFIX="${WINEPREFIX:-$(pwd)/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
