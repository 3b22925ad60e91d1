#!/usr/bin/env bash
# Crosscompiling emulator for CTest: runs a Windows test executable under Wine.
#   wine-run.sh 64|32 program.exe [args...]
# The prefixes are made by scripts/setup.sh; TESSARO_WINE_ROOT overrides where they live.
set -u
bits=$1; shift
root=${TESSARO_WINE_ROOT:-$(cd "$(dirname "$0")/.." && pwd)/build/deps/wine}
export WINEPREFIX=$root/prefix$bits
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEDEBUG=${WINEDEBUG:--all}
export DISPLAY=${DISPLAY:-:99}
if [ "$bits" = 64 ]; then exec /usr/lib/wine/wine64 "$@"; else exec /usr/lib/wine/wine "$@"; fi
