#!/usr/bin/env bash
# Crosscompiling emulator for CTest: runs a Windows test executable under Wine.
#   wine-run.sh 64|32 program.exe [args...]
# The prefixes are made by scripts/setup.sh; TESSARO_WINE_ROOT overrides where they live.
set -u
bits=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
export TESSARO_WINE_ROOT=$(realpath -m "${TESSARO_WINE_ROOT:-$here/../build/deps/wine}")
export WINEPREFIX=$TESSARO_WINE_ROOT/prefix$bits
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEDEBUG=${WINEDEBUG:--all}
export DISPLAY=${DISPLAY:-:99}
# The installer targets Chinese Windows: ANSI code page 936.
export LC_ALL=${TESSARO_WINE_LOCALE:-zh_CN.UTF-8}
bash "$here/../scripts/wine-session.sh" ensure "$bits"
if [ "$bits" = 64 ]; then exec /usr/lib/wine/wine64 "$@"; else exec /usr/lib/wine/wine "$@"; fi
