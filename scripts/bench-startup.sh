#!/usr/bin/env bash
# Measures how fast brantle.exe shows its main dialog under Wine, against a
# minimal Win32 program that shows one 200 x 240 unit dialog with the same
# caption from an in-memory template. Not a test: it prints figures.
#
#   scripts/bench-startup.sh <Windows build folder> [starts, at least 15]
#
# Both programs are started the same way by the harness (CreateProcess, then
# polling for the visible dialog), alternately; it prints the medians, their
# ratio and the size of brantle.exe in bytes.
set -euo pipefail

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <Windows build folder> [starts]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
starts=${2:-21}
[ "$starts" -ge 15 ] 2>/dev/null || { echo "bench-startup: at least 15 starts" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
brantle=$build/app/brantle.exe
harness=$build/tests/e2e/brantle_e2e.exe
minimal=$build/tests/e2e/brantle_min_dialog.exe
for f in "$brantle" "$harness" "$minimal"; do
  [ -f "$f" ] || { echo "bench-startup: $f is missing; build the Windows targets first" >&2; exit 2; }
done

# shellcheck source=wine-env.sh
. "$repo/scripts/wine-env.sh"
wine_env_start_for_build_folder "$build" bench-startup

# A limit against a hang only: a start takes a fraction of a second.
status=0
timeout -k 10 1800 "$WINE_ENV_LOADER" "$harness" --bench-startup "$(wine_env_winpath "$brantle")" \
  "$(wine_env_winpath "$minimal")" "$starts" >"$build/bench-startup.out" 2>"$build/bench-startup-stderr.log" ||
  status=$?
tr -d '\r' <"$build/bench-startup.out"
echo "brantle.exe ($(windows_build_words "$WINE_ENV_BUILD")) size: $(stat -c %s "$brantle") bytes"
exit "$status"
