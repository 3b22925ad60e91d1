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
if [ "$bits" = 64 ]; then exec /usr/lib/wine/wine64 "$@"; fi
# 32-bit Wine runs under qemu user emulation on this machine kind, and the emulator now and then
# crashes by itself (seen at a test program's exit, after all its tests passed). A Windows program's
# own faults end as exception codes, never as a signal of the loader: a loader killed by SIGSEGV,
# SIGBUS or SIGILL gets one more run, said on standard error.
/usr/lib/wine/wine "$@"
rc=$?
case $rc in
  132|135|139)
    echo "wine-run: the 32-bit emulator died with signal $((rc - 128)); running $1 once more" >&2
    /usr/lib/wine/wine "$@"
    rc=$? ;;
esac
exit $rc
