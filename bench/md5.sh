#!/usr/bin/env bash
# FileMd5Text (through `installer-cli md5`) beside md5sum on the same 256 MiB file, in one run.
# Prints each one's best throughput over several rounds and the ratio ours / md5sum
# (the goal is at least 0.9).
#   bench/md5.sh [ROUNDS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROUNDS=${1:-5}
CLI=$ROOT/build/native/tools/installer-cli/installer-cli
[ -x "$CLI" ] || { cmake --preset native >/dev/null && cmake --build --preset native --target installer-cli >/dev/null; }
cmake --build --preset native --target installer-cli >/dev/null

FILE=$ROOT/build/bench/md5-256MiB.bin
mkdir -p "$(dirname "$FILE")"
[ -f "$FILE" ] && [ "$(stat -c %s "$FILE")" = 268435456 ] || head -c 268435456 /dev/urandom > "$FILE"
cat "$FILE" > /dev/null  # both read from the page cache

best() {  # best wall time in seconds of ROUNDS runs of "$@"
  local best=999999 t0 t1 dt
  for _ in $(seq "$ROUNDS"); do
    t0=$(date +%s.%N); "$@" > /dev/null; t1=$(date +%s.%N)
    dt=$(echo "$t1 - $t0" | bc -l)
    if (( $(echo "$dt < $best" | bc -l) )); then best=$dt; fi
  done
  echo "$best"
}

ours_digest=$("$CLI" md5 "$FILE")
peer_digest=$(md5sum "$FILE" | cut -d' ' -f1)
[ "$ours_digest" = "$peer_digest" ] || { echo "digests differ: $ours_digest vs $peer_digest" >&2; exit 1; }

peer=$(best md5sum "$FILE")
ours=$(best "$CLI" md5 "$FILE")
printf 'md5sum                 %8.1f MiB/s (%.3f s)\n' "$(echo "256 / $peer" | bc -l)" "$peer"
printf 'installer-cli md5      %8.1f MiB/s (%.3f s)\n' "$(echo "256 / $ours" | bc -l)" "$ours"
printf 'throughput ratio ours/md5sum: %.3f (goal >= 0.9)\n' "$(echo "$peer / $ours" | bc -l)"
