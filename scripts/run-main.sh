#!/usr/bin/env bash
# The installer's main job, headless, as far as the components exist today: installer-cli builds
# the installer's configuration and runs the system checks the install flow relies on, natively
# and as the shipped 32-bit Windows build under Wine. (Download, package and uninstaller runs
# against the local package server join this script as those components land.)
#   scripts/run-main.sh [installer options...]     e.g. -downloadtype=3 -ischecknet=true
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
bash scripts/setup.sh
for preset in native win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target installer-cli >/dev/null
done
WORK=$ROOT/build/main-job
mkdir -p "$WORK"

native=$ROOT/build/native/tools/installer-cli/installer-cli
exe=$ROOT/build/win32/tools/installer-cli/installer-cli.exe
win32() { "$ROOT/cmake/wine-run.sh" 32 "$exe" "$@"; }
trap 'bash scripts/wine-session.sh stop 32' EXIT

for side in native win32; do
  if [ $side = native ]; then run=$native; dir=$WORK; else run=win32; dir='C:\'; fi
  echo "== $side: installer configuration (defaults, KorvelInstallerConfig.ini beside the exe, options)"
  $run config "$@"
  echo "== $side: system checks for $dir"
  $run checks "$dir"
  echo "== $side: device id and the digest of the product executable"
  $run guid
  if [ $side = native ]; then $run md5 "$exe"; else $run md5 "Z:${exe//\//\\}"; fi
done
echo "== md5sum of the product executable, for comparison"
md5sum "$exe" | cut -d' ' -f1
