#!/usr/bin/env bash
# Sets up what is missing, builds every preset and runs every test.
#   scripts/test.sh                  all presets
#   PRESETS="native win64" scripts/test.sh
# Ends with one line "N passed, N failed" over all presets; exits non-zero when anything failed.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
PRESETS=${PRESETS:-"native native-asan native-tsan win64 win32"}
LOGS=$ROOT/build/test-logs
T0=$SECONDS

bash scripts/setup.sh || { echo "setup failed" >&2; exit 1; }
mkdir -p "$LOGS"

# A virtual screen for the programs that open windows.
export DISPLAY=${DISPLAY:-:99}
if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
  setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$LOGS/xvfb.log" 2>&1 &
  for _ in $(seq 50); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
fi

passed=0 failed=0 broken=""
for preset in $PRESETS; do
  echo "== [test $(date +%T)] $preset"
  if ! { cmake --preset "$preset" >"$LOGS/$preset-configure.log" 2>&1 &&
         cmake --build --preset "$preset" >"$LOGS/$preset-build.log" 2>&1; }; then
    echo "build of $preset failed:"; tail -40 "$LOGS/$preset-build.log" "$LOGS/$preset-configure.log" 2>/dev/null
    broken="$broken $preset"; failed=$((failed + 1)); continue
  fi
  # TSan needs a fixed address space layout on newer kernels.
  if [ "$preset" = native-tsan ]; then runner="setarch $(uname -m) -R"; else runner=""; fi
  $runner ctest --preset "$preset" >"$LOGS/$preset-ctest.log" 2>&1
  grep -E "^[0-9]+% tests passed|\*\*\*(Failed|Timeout|Exception)|Not Run" "$LOGS/$preset-ctest.log" | sed "s/^/  $preset: /"
  total=$(sed -nE 's/.* tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2/p' "$LOGS/$preset-ctest.log")
  bad=$(sed -nE 's/.* tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/p' "$LOGS/$preset-ctest.log")
  if [ -z "$total" ]; then
    echo "  $preset: CTest gave no summary:"; tail -30 "$LOGS/$preset-ctest.log"
    broken="$broken $preset"; failed=$((failed + 1)); continue
  fi
  passed=$((passed + total - bad)); failed=$((failed + bad))
  [ "$bad" = 0 ] || { broken="$broken $preset"; grep -B2 -A30 -- "\*\*\*Failed\|Failure" "$LOGS/$preset-ctest.log" | head -120; }
done
for bits in 64 32; do bash scripts/wine-session.sh stop $bits; done

echo "== [test $(date +%T)] done in $((SECONDS - T0)) s${broken:+; failing presets:$broken}"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
