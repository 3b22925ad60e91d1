#!/usr/bin/env bash
# The installer's main job, headless (the windows come later), natively and as the shipped 32-bit
# Windows build under Wine: installer-cli builds the installer's configuration, runs the system
# checks the install flow relies on, downloads a package from the local package server with each
# of the three downloaders, and installs the reference product end to end: download, verify, run
# the package silently, then again over the first copy, whose own uninstaller runs first; last, it
# makes the installer's usage reports of one run and delivers them to the local statistics collector.
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
for preset in native win32; do cmake --build --preset "$preset" --target reference-package >/dev/null; done
bash tests/servers/servers.sh start "$WORK/servers" "$ROOT/build/native/tools/reference-package/reference-package"
SERVER=http://127.0.0.1:$(cat "$WORK/servers/nginx.port")

native=$ROOT/build/native/tools/installer-cli/installer-cli
exe=$ROOT/build/win32/tools/installer-cli/installer-cli.exe
win32() { "$ROOT/cmake/wine-run.sh" 32 "$exe" "$@"; }
trap 'bash scripts/wine-session.sh stop 32; bash tests/servers/servers.sh stop "$WORK/servers"' EXIT

for side in native win32; do
  if [ $side = native ]; then run=$native; dir=$WORK; else run=win32; dir='C:\'; fi
  echo "== $side: installer configuration (defaults, KorvelInstallerConfig.ini beside the exe, options)"
  $run config "$@"
  echo "== $side: system checks for $dir"
  $run checks "$dir"
  echo "== $side: device id and the digest of the product executable"
  $run guid
  if [ $side = native ]; then $run md5 "$exe"; else $run md5 "Z:${exe//\//\\}"; fi
  for type in 1 2 3; do
    if [ $side = native ]; then pkg=$WORK/__Package_Tessaro.exe; else pkg='C:\__Package_Tessaro.exe'; fi
    echo "== $side: download with DownloadType $type from $SERVER/software/pkg-25m.bin (code, value, text)"
    # Progress lines are many: show the first few and every other report.
    $run download --type $type "$SERVER/software/pkg-25m.bin" "$pkg" 2>/dev/null | awk -F'\t' '$1 != 1002 || n++ < 3'
  done
done
# The package server serves one reference package; give each side the build for its system.
for side in native win32; do
  if [ $side = native ]; then
    # The reference product's shortcuts go to this HOME's desktop, not the real one.
    run="env HOME=$WORK/home $native" dir=$WORK/install/Tessaro pkg=$ROOT/build/native/tools/reference-package/reference-package
  else
    run=win32 dir='C:\Tessaro Main Job\Tessaro' pkg=$ROOT/build/win32/tools/reference-package/reference-package.exe
  fi
  bash tests/servers/servers.sh start "$WORK/servers" "$pkg" >/dev/null
  SERVER=http://127.0.0.1:$(cat "$WORK/servers/nginx.port")
  echo "== $side: install $SERVER/software/TessaroSetup.exe into $dir (code, value, text)"
  $run install "$SERVER/software/TessaroSetup.exe" "$dir" 2>/dev/null | awk -F'\t' '$1 != 1002 || n++ < 3'
  echo "== $side: install again over it: the installed copy's uninstaller runs first"
  if [ $side = native ]; then un=$dir/uninst.ep; else un="$dir\uninst.ep"; fi
  $run install "$SERVER/software/TessaroSetup.exe" "$dir" --uninstaller "$un" 2>/dev/null | awk -F'\t' '$1 != 1002 || n++ < 3'
done
echo "== installed files and shortcuts"
ls -l "$WORK/install/Tessaro" "$WORK/home/Desktop" "$ROOT/build/deps/wine/prefix32/drive_c/Tessaro Main Job/Tessaro"
ls -l "$ROOT/build/deps/wine/prefix32/drive_c/users/$(id -un)/Desktop/Tessaro.lnk"

STATS=http://127.0.0.1:$(cat "$WORK/servers/stats.port")
for side in native win32; do
  if [ $side = native ]; then run="env XDG_DATA_HOME=$WORK/home/.local/share $native"; else run=win32; fi
  token=main-$side-$$
  echo "== $side: the installer's usage reports of one run, delivered to the local statistics collector"
  $run stats-selftest "$STATS/t=$token/events?project=pc" 2>/dev/null
  # One line per record: event, then the properties that tell the reports apart.
  curl -s "$STATS/flat?t=$token" | awk -F'\t' '
    $0 == "record" { if (line) print line; line = ""; next }
    $1 == "event" || $1 ~ /^properties\.(kv_name|kv_task_name|kv_task_elapsed|kv_reason|kvc_ab|app_crashed_reason|kv_app_id|kv_app_store)$/ {
      sub(/^properties\./, "", $1); line = line (line ? "  " : "") $1 "=" $2 }
    END { if (line) print line }'
done

echo "== md5sum of the product executable, for comparison"
md5sum "$exe" | cut -d' ' -f1
rm -f "$WORK/__Package_Tessaro.exe" "$ROOT/build/deps/wine/prefix32/drive_c/__Package_Tessaro.exe"
