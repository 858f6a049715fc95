#!/usr/bin/env bash
# Sets up, builds and runs Brantle: brantle.exe under Wine. Arguments are
# passed to the program (for example: scripts/run.sh 652 /Q 1).
#
# It runs the first build of scripts/windows-builds.sh that this machine can
# run: the 32-bit program where it can run 32-bit code, the 64-bit one where
# it cannot.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# shellcheck source=windows-builds.sh
. scripts/windows-builds.sh
read -r build _ <<<"$(windows_builds_runnable)"
preferred=${WINDOWS_BUILDS%% *}
if [ -z "$build" ]; then
  echo "This machine can run none of the Windows builds: $(windows_build_why_not "$preferred")" >&2
  exit 1
elif [ "$build" = "$preferred" ]; then
  why="this machine can run it"
else
  why="the $(windows_build_words "$preferred") one cannot run here: $(windows_build_why_not "$preferred")"
fi

cmake -S . -B "build/win-$build" -DCMAKE_TOOLCHAIN_FILE="$(windows_build_toolchain "$build")" >/dev/null
cmake --build "build/win-$build" -j2 --target brantle
exe=$PWD/build/win-$build/app/brantle.exe
echo "Running the $(windows_build_words "$build") brantle.exe ($(stat -c %s "$exe") bytes): $why."

# shellcheck source=wine-env.sh
. scripts/wine-env.sh
if [ -n "${DISPLAY:-}" ]; then
  wine_env_use "$build" "$PWD/build/wine-run-$(windows_build_wine_arch "$build")" || exit 1
  mkdir -p build/run-state
  wine_env_make_prefix build/run-state/wineboot-init.log || exit 1
  exec "$WINE_ENV_LOADER" "$exe" "$@"
fi

# No display here: run it on a virtual one and save a picture of what it shows.
wine_env_start build/run-state "$build" || { echo "The Wine environment did not start" >&2; exit 1; }
"$WINE_ENV_LOADER" "$exe" "$@" >/dev/null 2>&1 &
wine_env_track_pid $!
if ! wine_env_wait_for 30 xdotool search --onlyvisible --name "Quorvane sign illumination tool" >/dev/null 2>&1; then
  echo "brantle.exe showed no window within 30 s" >&2
  exit 1
fi
sleep 0.5  # let it finish painting
import -window root build/run-screenshot.png
echo "There is no display here, so brantle.exe ran on a virtual one."
echo "What it showed: build/run-screenshot.png. Set DISPLAY to use it yourself."
