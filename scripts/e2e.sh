#!/usr/bin/env bash
# Runs the end-to-end tests of brantle.exe under Wine and Xvfb.
#
#   scripts/e2e.sh <Windows build folder> [--dpi N] [--only <part of a scenario name>]
#
# The folder is a Windows build (any toolchain file of
# scripts/windows-builds.sh), already built: it holds app/brantle.exe and
# tests/e2e/brantle_e2e.exe. This script builds nothing; it makes a Wine
# environment of the build's architecture inside the folder (e2e-state/),
# runs each scenario of the harness in a harness process of its own, turns
# the screenshots into PNG files (e2e-shots/), runs the tests of the build's
# brantle-rules.exe and exits non-zero when a check fails. The logs are
# e2e.log and cli-test.log; the last lines it prints also go to
# e2e-summary.txt. Exit status 3 means that this machine cannot run the build.
# The build folder's CTest test `e2e` (label e2e) runs this script.
#
# --dpi N runs the display-scale group (the scenarios named dpi_..., unless
# --only names others) with the display at N dpi instead: in a Wine prefix of
# its own, made once (e2e-state-dpiN/), on a screen large enough for the
# dialogs moved to 250 %, with screenshots in e2e-shots-dpiN/, the log in
# e2e-dpiN.log and the summary in e2e-summary-dpiN.txt. At 96 dpi the whole
# suite runs those scenarios too. The CTest tests e2e-dpiN (label e2e) run
# the group at 120, 144, 168 and 192 dpi.
#
# With BRANTLE_E2E_SIGNED_BUILD (a build folder of the same kind and update
# host whose brantle.exe was built with BRANTLE_UPDATE_PUBLIC_KEY) and
# BRANTLE_E2E_MAKER_KEY (the private half of that key, PEM), the update
# server signs lists with that key and the signed-list scenarios run against
# that brantle.exe; without them, or when they do not belong together, those
# scenarios say why and are counted as skipped. BRANTLE_RULES_REFERENCE names
# the native brantle-rules that the build's brantle-rules.exe must agree with.
# Each of the three that the environment does not give is taken from the
# build folder's CMake cache, where the test command records them, so that
# `ctest -L e2e` runs on its own as the test command ran it.
#
# The stalled-server scenarios start brantle.exe with the switch "/T 300",
# which only a build configured with BRANTLE_TEST_LIMITS=ON reads (a build
# for the stand-in's 127.0.0.1 host is by default); the script tells the
# harness whether the build and the keyed one do.
#
# Time limits catch hangs, not slowness: a scenario normally takes a few
# seconds, and one that has not ended after E2E_SCENARIO_LIMIT seconds
# (default 300) is ended and counted as failed, and the run goes on with the
# next one. The whole run stops starting scenarios after E2E_RUN_LIMIT
# seconds (default 1800).
set -euo pipefail

usage() {
  echo "usage: $0 <Windows build folder> [--dpi N] [--only NAME]" >&2
  exit 2
}
if [ $# -lt 1 ] || [ ! -d "$1" ]; then usage; fi
build=$(cd "$1" && pwd)
shift
dpi=''
only=''
while [ $# -gt 0 ]; do
  case $1 in
    --dpi)
      if [ $# -lt 2 ] || [[ ! "$2" =~ ^[1-9][0-9]{1,2}$ ]]; then usage; fi
      dpi=$2
      shift 2 ;;
    --only)
      if [ $# -lt 2 ]; then usage; fi
      only=$2
      shift 2 ;;
    *) usage ;;
  esac
done
suffix=
if [ -n "$dpi" ] && [ "$dpi" != 96 ]; then
  suffix=-dpi$dpi
  export WINE_ENV_DPI=$dpi WINE_ENV_SCREEN=2048x1536
  [ -n "$only" ] || only=dpi_
fi
state=$build/e2e-state$suffix
scenario_limit=${E2E_SCENARIO_LIMIT:-300}
run_limit=${E2E_RUN_LIMIT:-1800}
repo=$(cd "$(dirname "$0")/.." && pwd)
brantle=$build/app/brantle.exe
harness=$build/tests/e2e/brantle_e2e.exe
for f in "$brantle" "$harness"; do
  [ -f "$f" ] || { echo "e2e: $f is missing; build the Windows targets first" >&2; exit 2; }
done

# shellcheck source=wine-env.sh
. "$repo/scripts/wine-env.sh"
wine_env_start_for_build_folder "$build" e2e "$state"
words=$(windows_build_words "$WINE_ENV_BUILD")

# A variable of a build folder's CMake cache: cache_value <folder> <name>.
cache_value() { sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"; }
: "${BRANTLE_E2E_SIGNED_BUILD:=$(cache_value "$build" BRANTLE_E2E_SIGNED_BUILD)}"
: "${BRANTLE_E2E_MAKER_KEY:=$(cache_value "$build" BRANTLE_E2E_MAKER_KEY)}"
: "${BRANTLE_RULES_REFERENCE:=$(cache_value "$build" BRANTLE_RULES_REFERENCE)}"
export BRANTLE_RULES_REFERENCE

# The update server stand-in, on the host and port that this build's
# brantle.exe asks (BRANTLE_UPDATE_HOST, 127.0.0.1:<port> in test builds).
update_host=$(cache_value "$build" BRANTLE_UPDATE_HOST)
# Whether a build's brantle.exe reads the switch that shortens the update's
# time limits: ON or OFF.
test_limits() { cache_value "$1" BRANTLE_TEST_LIMITS; }
BRANTLE_E2E_TEST_LIMITS=$(test_limits "$build")
export BRANTLE_E2E_TEST_LIMITS

# The build with a test key: the same kind and host, and a key whose private
# half is the maker's key given; a second key, made here, signs as somebody
# else would.
server_keys=() signed_args=()
problem=""
if [ -z "$BRANTLE_E2E_SIGNED_BUILD" ]; then
  problem="neither the environment nor $build/CMakeCache.txt gives BRANTLE_E2E_SIGNED_BUILD"
elif [ ! -f "$BRANTLE_E2E_SIGNED_BUILD/CMakeCache.txt" ]; then
  problem="BRANTLE_E2E_SIGNED_BUILD: $BRANTLE_E2E_SIGNED_BUILD is not a build folder"
else
  signed_build=$(cd "$BRANTLE_E2E_SIGNED_BUILD" && pwd)
  signed_exe=$signed_build/app/brantle.exe
  signed_key=$(cache_value "$signed_build" BRANTLE_UPDATE_PUBLIC_KEY)
  if [ ! -f "$signed_exe" ]; then
    problem="$signed_exe is missing"
  elif [ "$(windows_build_of "$signed_exe")" != "$WINE_ENV_BUILD" ]; then
    problem="$signed_exe is not a $(windows_build_words "$WINE_ENV_BUILD") program"
  elif [ "$(cache_value "$signed_build" BRANTLE_UPDATE_HOST)" != "$update_host" ]; then
    problem="$signed_build asks another update host than $build"
  elif [ -z "$signed_key" ] || [ ! -f "$BRANTLE_E2E_MAKER_KEY" ] ||
    ! cmp -s <(openssl pkey -pubout -in "$BRANTLE_E2E_MAKER_KEY" 2>/dev/null) <(openssl pkey -pubin -in "$signed_key" 2>/dev/null); then
    problem="BRANTLE_E2E_MAKER_KEY (${BRANTLE_E2E_MAKER_KEY:-unset}) is not the private half of the key $signed_build was built with"
  fi
fi
if [ -n "$problem" ]; then
  echo "e2e: the signed-list scenarios are skipped: $problem"
else
  other_key=$state/other-key.pem
  openssl ecparam -name prime256v1 -genkey -noout -out "$other_key" 2>/dev/null ||
    { echo "e2e: openssl could not make a second key" >&2; exit 1; }
  server_keys=(--sign-key "$BRANTLE_E2E_MAKER_KEY" --other-key "$other_key")
  signed_args=(--signed-brantle "$(wine_env_winpath "$signed_exe")")
  BRANTLE_E2E_SIGNED_TEST_LIMITS=$(test_limits "$signed_build")
  export BRANTLE_E2E_SIGNED_TEST_LIMITS
fi
if [[ "$update_host" == 127.0.0.1:* ]]; then
  update_root=$state/update-server
  rm -rf "$update_root" "$update_root.ready"
  python3 "$repo/tests/e2e/update_server.py" --root "$update_root" --port "${update_host#127.0.0.1:}" \
    --ready "$update_root.ready" "${server_keys[@]}" >"$state/logs/update-server.log" 2>&1 &
  wine_env_track_pid $!
  if wine_env_wait_for 60 test -s "$update_root.ready"; then
    BRANTLE_E2E_UPDATE_ROOT=$(wine_env_winpath "$update_root")
    export BRANTLE_E2E_UPDATE_ROOT BRANTLE_E2E_UPDATE_HOST=$update_host
  else
    echo "e2e: the update server did not start (see $state/logs/update-server.log)" >&2
  fi
fi

shots=$build/e2e-shots$suffix
mkdir -p "$shots"
rm -f "$shots"/*.bmp "$shots"/*.png
log=$build/e2e$suffix.log
errors=$build/e2e$suffix-stderr.log
summary_file=$build/e2e-summary$suffix.txt
: >"$log"
: >"$errors"
: >"$summary_file"

# The dialogs' reference pictures at 96 dpi, as the BMP files the harness reads.
references=$state/references
rm -rf "$references"
mkdir -p "$references"
for png in "$repo"/tests/e2e/reference/*.png; do
  [ -f "$png" ] || continue
  convert "$png" -type TrueColor "BMP3:$references/$(basename "${png%.png}").bmp"
done

# Prints a line and keeps it in the log.
say() { printf '%s\n' "$*" | tee -a "$log"; }

# The scenarios, in the harness's order. (The Windows console ends its
# lines with CR LF.)
mapfile -t scenarios < <("$WINE_ENV_LOADER" "$harness" --list 2>>"$errors" | tr -d '\r')
if [ ${#scenarios[@]} -eq 0 ]; then
  echo "e2e: the harness listed no scenarios (see $errors)" >&2
  exit 1
fi

passed=0 failed=0 skipped=0 ran=0
started=$SECONDS
output=$state/scenario.out
harness_arguments=(
  "$(wine_env_winpath "$brantle")"
  --shots "$(wine_env_winpath "$shots")"
  --browser-log "$(wine_env_winpath "$WINE_ENV_BROWSER_LOG")"
  --rule-table "$(wine_env_winpath "$repo/resources/rule_table.txt")"
  --numbers "$(wine_env_winpath "$repo/tests/large_numbers.txt")"
  --references "$(wine_env_winpath "$references")"
  "${signed_args[@]}"
)
for scenario in "${scenarios[@]}"; do
  if [ -n "$only" ] && [[ "$scenario" != *"$only"* ]]; then continue; fi
  if ((SECONDS - started > run_limit)); then
    say "FAIL $scenario: not run, the whole run passed its limit of ${run_limit} s"
    failed=$((failed + 1))
    continue
  fi
  ran=$((ran + 1))
  status=0
  # Wine's background processes were started by wine_env_start with their
  # own output files, so nothing here waits for them.
  timeout -k 10 "$scenario_limit" "$WINE_ENV_LOADER" "$harness" "${harness_arguments[@]}" \
    --scenario "$scenario" >"$output" 2>>"$errors" </dev/null || status=$?
  tr -d '\r' <"$output" | grep -vE '^[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$' | tee -a "$log" || true
  counts=$(tr -d '\r' <"$output" | sed -nE 's/^([0-9]+) passed, ([0-9]+) failed, ([0-9]+) skipped$/\1 \2 \3/p' | tail -n 1)
  if [ -n "$counts" ]; then
    read -r scenario_passed scenario_failed scenario_skipped <<<"$counts"
    passed=$((passed + scenario_passed))
    failed=$((failed + scenario_failed))
    skipped=$((skipped + scenario_skipped))
    if [ "$status" -ne 0 ] && [ "$scenario_failed" -eq 0 ]; then
      say "FAIL $scenario: the harness ended with exit status $status"
      failed=$((failed + 1))
    fi
  else
    # The checks it made before it was ended still count.
    passed=$((passed + $(tr -d '\r' <"$output" | grep -c '^ok ' || true)))
    failed=$((failed + $(tr -d '\r' <"$output" | grep -c '^FAIL ' || true)))
    skipped=$((skipped + $(tr -d '\r' <"$output" | grep -c '^skip ' || true)))
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
      say "FAIL $scenario: did not end within ${scenario_limit} s (hung); ended it"
    else
      say "FAIL $scenario: the harness ended without its summary (exit status $status; see $errors)"
    fi
    failed=$((failed + 1))
    # Whatever the scenario left running must not disturb the next one.
    wine_env_restart_server || { say "FAIL $scenario: the Wine server did not restart"; break; }
  fi
done
if [ "$ran" -eq 0 ] && [ "$failed" -eq 0 ]; then
  say "FAIL harness: no scenario matched \"$only\""
  failed=1
fi
summary="$passed passed, $failed failed, $skipped skipped"
echo "$summary" >>"$log"

for bmp in "$shots"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done

report() { printf '%s\n' "$*" | tee -a "$summary_file"; }
report "e2e: $words build${dpi:+ at $dpi dpi}: $summary in $((SECONDS - started)) s (screenshots in $shots)"
harness_passed=0
[ "$failed" -eq 0 ] && harness_passed=1

# The schedule checker of the same build, under the same Wine: the tool's
# own tests and, where BRANTLE_RULES_REFERENCE names the native tool, the
# same answers as that tool, byte for byte.
# Under Wine a run of the tool now and then loses its output (it then exits
# 1, "standard output could not be written"), so a failed round is run once
# more; the first round's failures stay in the report and in their log.
tool_passed=1
if [ -f "$build/cli/brantle-rules.exe" ] && [ -z "$only" ] && [ -z "$suffix" ]; then
  tool_round() {
    timeout -k 10 "$run_limit" bash "$repo/tests/cli_test.sh" "$WINE_ENV_LOADER" "$build/cli/brantle-rules.exe" >"$1" 2>&1
  }
  rm -f "$build/cli-test-first.log"
  first_round=
  if ! tool_round "$build/cli-test.log"; then
    mv "$build/cli-test.log" "$build/cli-test-first.log"
    first_round="; the first round had $(grep -c '^FAILED' "$build/cli-test-first.log" || true) failed (see $build/cli-test-first.log), this is the second"
    grep -A3 '^FAILED' "$build/cli-test-first.log" | sed 's/^/  first round: /' || true
    tool_round "$build/cli-test.log" || tool_passed=0
  fi
  report "e2e: $words brantle-rules.exe: $(grep -c '^ok' "$build/cli-test.log" || true) passed," \
    "$(grep -c '^FAILED' "$build/cli-test.log" || true) failed (see $build/cli-test.log)$first_round"
fi
[ "$harness_passed" = 1 ] && [ "$tool_passed" = 1 ]
