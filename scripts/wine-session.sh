#!/usr/bin/env bash
# Starts or stops a persistent Wine session for one prefix, so that each test process starts in
# about 0.1 s instead of booting Wine again.
#   scripts/wine-session.sh start|ensure|stop 64|32
# The session's services (wineserver, winedevice, ...) are started here with their output on
# /dev/null: started by a test instead, they would inherit CTest's output pipes and CTest would
# wait for them forever. `ensure` starts a session only when the prefix has none.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
action=$1 bits=$2
export WINEPREFIX=$(realpath -m "${TESSARO_WINE_ROOT:-$ROOT/build/deps/wine}/prefix$bits")
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
export DISPLAY=${DISPLAY:-:99}
export LC_ALL=${TESSARO_WINE_LOCALE:-zh_CN.UTF-8}
if [ "$bits" = 64 ]; then wine=/usr/lib/wine/wine64; else wine=/usr/lib/wine/wine; fi

running() {  # is a wineserver serving this prefix?
  local pid
  for pid in $(pgrep -x 'wineserver|wineserver32|wineserver64' 2>/dev/null); do
    tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

start() {  # fd 9 (the lock of `ensure`) must not live on in the session's processes
  setsid /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 9>&-
  setsid "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&-
}

case $action in
  start) start ;;
  ensure)
    # Parallel test processes must not boot the prefix twice.
    exec 9>"$WINEPREFIX.session-lock"
    flock 9
    running || start
    ;;
  stop)
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
    ;;
  *) echo "usage: $0 start|ensure|stop 64|32" >&2; exit 2 ;;
esac
