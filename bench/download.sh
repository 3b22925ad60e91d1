#!/usr/bin/env bash
# The libcurl downloaders beside curl and aria2c, on one 256 MiB package from a local nginx, in one
# run. Prints wall and CPU time of each and the ratios the goals are stated in:
#   CCurlDownloader  <= 1.05 x `curl -s -o` wall time, <= 1.1 x its CPU time per MiB
#   CMTCurlDownloader (nginx limiting each connection to 20 MiB/s)
#                    <= 1.05 x `aria2c -x2 -s2` and <= 0.6 x CCurlDownloader
# Our downloaders also verify the package's MD5 (the digest rule); the peers do not, so the
# figures for "curl + md5sum" are printed too.
#   bench/download.sh [ROUNDS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROUNDS=${1:-3}
cd "$ROOT"
cmake --preset native >/dev/null
cmake --build --preset native --target installer-cli >/dev/null
CLI=$ROOT/build/native/tools/installer-cli/installer-cli
WORK=$ROOT/build/bench/download
mkdir -p "$WORK/out"
PKG=$WORK/package.bin
[ -f "$PKG" ] && [ "$(stat -c %s "$PKG")" = 268435456 ] || head -c 268435456 /dev/urandom > "$PKG"
MD5=$(md5sum "$PKG" | cut -d' ' -f1)
# The tests' package servers, serving this package as /software/TessaroSetup.exe.
bash tests/servers/servers.sh start "$WORK/servers" "$PKG" >/dev/null
trap 'bash tests/servers/servers.sh stop "$WORK/servers"' EXIT
cat "$WORK/servers/www/TessaroSetup.exe" > /dev/null

# best wall time, and CPU (user + sys) of that run, over ROUNDS runs of "$@"
measure() {
  local best_wall=999999 best_cpu=0 wall user sys
  for _ in $(seq "$ROUNDS"); do
    rm -f "$WORK"/out/*
    /usr/bin/time -o "$WORK/time" -f '%e %U %S' "$@" >/dev/null 2>&1
    read -r wall user sys < "$WORK/time"
    if (( $(echo "$wall < $best_wall" | bc -l) )); then best_wall=$wall; best_cpu=$(echo "$user + $sys" | bc -l); fi
  done
  echo "$best_wall $best_cpu"
}
check() { [ "$(md5sum "$1" | cut -d' ' -f1)" = "$MD5" ] || { echo "corrupt download: $1" >&2; exit 1; }; }

fast=http://127.0.0.1:$(cat "$WORK/servers/nginx.port")/software/TessaroSetup.exe
slow=http://127.0.0.1:$(cat "$WORK/servers/nginx-slow.port")/software/TessaroSetup.exe
row() { printf '%-34s %7.2f s wall %7.2f s CPU  %6.2f ms CPU/MiB\n' "$1" "$2" "$3" "$(echo "$3 * 1000 / 256" | bc -l)"; }

echo "256 MiB from local nginx, best of $ROUNDS"
read -r curl_w curl_c < <(measure curl -sL -o "$WORK/out/p" "$fast"); check "$WORK/out/p"
read -r cm_w cm_c < <(measure sh -c "curl -sL -o '$WORK/out/p' '$fast' && md5sum '$WORK/out/p'")
read -r ours_w ours_c < <(measure "$CLI" download --type 1 "$fast" "$WORK/out/p"); check "$WORK/out/p"
row "curl -s -o" "$curl_w" "$curl_c"
row "curl -s -o, then md5sum" "$cm_w" "$cm_c"
row "CCurlDownloader (with MD5 check)" "$ours_w" "$ours_c"
printf 'CCurlDownloader / curl:            wall %.3f (goal <= 1.05), CPU per MiB %.3f (goal <= 1.1)\n' \
  "$(echo "$ours_w / $curl_w" | bc -l)" "$(echo "$ours_c / $curl_c" | bc -l)"
printf 'CCurlDownloader / curl + md5sum:   wall %.3f, CPU per MiB %.3f\n' \
  "$(echo "$ours_w / $cm_w" | bc -l)" "$(echo "$ours_c / $cm_c" | bc -l)"

echo
echo "256 MiB, nginx limiting each connection to 20 MiB/s"
ROUNDS=1
read -r aria_w aria_c < <(measure aria2c -q -x2 -s2 --allow-overwrite=true --auto-file-renaming=false \
  --file-allocation=none -d "$WORK/out" -o p "$slow"); check "$WORK/out/p"
read -r mt_w mt_c < <(measure "$CLI" download --type 3 "$slow" "$WORK/out/p"); check "$WORK/out/p"
read -r one_w one_c < <(measure "$CLI" download --type 1 "$slow" "$WORK/out/p"); check "$WORK/out/p"
row "aria2c -x2 -s2" "$aria_w" "$aria_c"
row "CMTCurlDownloader (with MD5 check)" "$mt_w" "$mt_c"
row "CCurlDownloader (with MD5 check)" "$one_w" "$one_c"
printf 'CMTCurlDownloader / aria2c:          %.3f (goal <= 1.05)\n' "$(echo "$mt_w / $aria_w" | bc -l)"
printf 'CMTCurlDownloader / CCurlDownloader: %.3f (goal <= 0.6)\n' "$(echo "$mt_w / $one_w" | bc -l)"
