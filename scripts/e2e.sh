#!/usr/bin/env bash
# Runs the end-to-end tests of brantle.exe under Wine and Xvfb.
#
#   scripts/e2e.sh <Windows build folder> [--only <part of a scenario name>]
#
# The folder is a Windows build (either toolchain file), already built: it
# holds app/brantle.exe and tests/e2e/brantle_e2e.exe. This script builds
# nothing; it makes a Wine environment of the build's architecture inside the
# folder (e2e-state/), runs the harness, turns the screenshots into PNG files
# (e2e-shots/), runs the tests of the build's brantle-rules.exe and exits
# non-zero when a check fails. The logs are e2e.log and cli-test.log. Exit
# status 3 means that this machine cannot run the build.
set -u

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <Windows build folder> [--only NAME]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift
repo=$(cd "$(dirname "$0")/.." && pwd)
brantle=$build/app/brantle.exe
harness=$build/tests/e2e/brantle_e2e.exe
for f in "$brantle" "$harness"; do
  [ -f "$f" ] || { echo "e2e: $f is missing; build the Windows targets first" >&2; exit 2; }
done

# shellcheck source=wine-env.sh
. "$repo/scripts/wine-env.sh"
arch=$(windows_build_of "$brantle") || { echo "e2e: $brantle is not a Windows program of a known build" >&2; exit 2; }
if ! windows_build_runnable "$arch"; then
  echo "e2e: the $(windows_build_words "$arch") build cannot be driven here: $(windows_build_why_not "$arch")" >&2
  exit 3
fi
wine_env_start "$build/e2e-state" "$arch" || { echo "e2e: the Wine environment did not start" >&2; exit 1; }

# The update server stand-in, on the host and port that this build's
# brantle.exe asks (BRANTLE_UPDATE_HOST, 127.0.0.1:<port> in test builds).
update_host=$(sed -n 's/^BRANTLE_UPDATE_HOST:STRING=//p' "$build/CMakeCache.txt")
if [[ "$update_host" == 127.0.0.1:* ]]; then
  update_root=$build/e2e-state/update-server
  rm -rf "$update_root" "$update_root.ready"
  python3 "$repo/tests/e2e/update_server.py" --root "$update_root" --port "${update_host#127.0.0.1:}" \
    --ready "$update_root.ready" >"$build/e2e-state/logs/update-server.log" 2>&1 &
  wine_env_track_pid $!
  if wine_env_wait_for 10 test -s "$update_root.ready"; then
    BRANTLE_E2E_UPDATE_ROOT=$(wine_env_winpath "$update_root")
    export BRANTLE_E2E_UPDATE_ROOT BRANTLE_E2E_UPDATE_HOST=$update_host
  else
    echo "e2e: the update server did not start (see $build/e2e-state/logs/update-server.log)" >&2
  fi
fi

shots=$build/e2e-shots
mkdir -p "$shots"
rm -f "$shots"/*.bmp "$shots"/*.png
log=$build/e2e.log

# Wine's background processes were started by wine_env_start with their own
# output files, so a pipe here cannot keep them waiting.
timeout 300 "$WINE_ENV_LOADER" "$harness" "$(wine_env_winpath "$brantle")" \
  --shots "$(wine_env_winpath "$shots")" \
  --browser-log "$(wine_env_winpath "$WINE_ENV_BROWSER_LOG")" \
  --rule-table "$(wine_env_winpath "$repo/resources/rule_table.txt")" \
  --numbers "$(wine_env_winpath "$repo/tests/large_numbers.txt")" \
  "$@" 2>"$build/e2e-stderr.log" | tee "$log"
status=${PIPESTATUS[0]}

for bmp in "$shots"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done

# The Windows console ends its lines with CR LF.
summary=$(tr -d '\r' <"$log" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1)
if [ -z "$summary" ]; then
  echo "e2e: the harness ended without its summary (exit status $status; see $build/e2e-stderr.log)" >&2
  exit 1
fi
echo "e2e: $(windows_build_words "$arch") build: $summary (screenshots in $shots)"
harness_passed=0
[ "$status" -eq 0 ] && [[ "$summary" == *" 0 failed" ]] && harness_passed=1

# The schedule checker of the same build, under the same Wine: the tool's
# own tests and, where BRANTLE_RULES_REFERENCE names the native tool, the
# same answers as that tool, byte for byte.
tool_passed=1
if [ -f "$build/cli/brantle-rules.exe" ]; then
  bash "$repo/tests/cli_test.sh" "$WINE_ENV_LOADER" "$build/cli/brantle-rules.exe" >"$build/cli-test.log" 2>&1 ||
    tool_passed=0
  echo "e2e: $(windows_build_words "$arch") brantle-rules.exe: $(grep -c '^ok' "$build/cli-test.log") passed," \
    "$(grep -c '^FAILED' "$build/cli-test.log") failed (see $build/cli-test.log)"
fi
[ "$harness_passed" = 1 ] && [ "$tool_passed" = 1 ]
