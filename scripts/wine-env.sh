# shellcheck shell=bash
# Sets up a private Wine environment for one of the Windows builds; source
# it (it works under `set -euo pipefail`):
#
#   . scripts/wine-env.sh
#   wine_env_start <state folder> <build>     # Xvfb, prefix, registry, wineserver
#   wine_env_start_for_build_folder <folder> <script name>
#                                     # the same for a built Windows build folder
#   wine_env_restart_server           # ends every program of the prefix
#   wine_env_track_pid <pid>          # another process to end at cleanup
#   "$WINE_ENV_LOADER" prog.exe ...   # a Windows program, with the build's loader
#   wine_env_winpath <Linux path>     # the same path as a Windows program sees it
#   wine_env_stop                     # also run by the EXIT trap
#
# What it sets up, inside <state folder>:
#   win32/ or win64/  the prefix of the build's architecture, made once and
#                     reused
#   browser.log       one line per address that a program asked the shell to
#                     open (browser-recorder.sh stands in for the browser and
#                     the mail program)
#   logs/             output of Xvfb, wineboot and wineserver
# Exports DISPLAY, WINEPREFIX, WINEARCH, WINELOADER, WINEDEBUG,
# WINEDLLOVERRIDES and LC_ALL=C.UTF-8 (so the ANSI code page is 1252 on
# every machine) and WINE_ENV_BROWSER_LOG.
#
# Every Wine program, wineboot and regedit included, is started with the
# loader of the build's word size: Debian's `wine` command would take the
# 32-bit one whenever wine32 is installed, even where it cannot run.
#
# Every wait is bounded; the EXIT trap ends wineserver, Xvfb and the tracked
# processes by their saved process ids.

# shellcheck source=windows-builds.sh
. "$(dirname "${BASH_SOURCE[0]}")/windows-builds.sh"

WINE_ENV_PIDS=()
WINE_ENV_XVFB_PID=
WINE_ENV_STARTED=
WINE_ENV_STATE=
WINE_ENV_BUILD=

wine_env_log() { printf 'wine-env: %s\n' "$*" >&2; }

# Polls `$@` every 0.1 s until it succeeds or `limit` seconds have passed.
wine_env_wait_for() {
  local limit=$1; shift
  local tries=$((limit * 10))
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

wine_env_track_pid() { WINE_ENV_PIDS+=("$1"); }

wine_env_winpath() { "$WINE_ENV_LOADER" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }

# Chooses the build's architecture and loader and the prefix folder; no
# display and no processes. Used alone where a display already exists.
wine_env_use() {
  local build=$1 prefix=$2
  WINE_ENV_LOADER=$(windows_build_wine_loader "$build")
  if [ -z "$WINE_ENV_LOADER" ] || [ ! -x "$WINE_ENV_LOADER" ]; then
    wine_env_log "no Wine loader for the $build build (${WINE_ENV_LOADER:-unknown build}); run scripts/setup.sh"
    return 1
  fi
  WINEARCH=$(windows_build_wine_arch "$build")
  export WINEPREFIX=$prefix WINEARCH WINELOADER=$WINE_ENV_LOADER
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# Makes the prefix if it does not exist yet.
wine_env_make_prefix() {
  local log=$1
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  wine_env_log "making a new $WINEARCH prefix in $WINEPREFIX"
  if ! timeout 600 "$WINE_ENV_LOADER" wineboot.exe -i >"$log" 2>&1 </dev/null; then
    wine_env_log "wineboot -i failed (see $log)"
    return 1
  fi
}

wine_env_start_xvfb() {
  local logs=$1
  local displayfile=$logs/xvfb.display
  # -displayfd makes Xvfb choose a free display and write its number. The
  # file exists before Xvfb starts, so polling it never races its creation.
  : >"$displayfile"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$displayfile" >"$logs/xvfb.log" 2>&1 &
  WINE_ENV_XVFB_PID=$!
  if ! wine_env_wait_for 60 grep -qs '[0-9]' "$displayfile"; then
    wine_env_log "Xvfb did not report a display (see $logs/xvfb.log)"
    return 1
  fi
  DISPLAY=":$(tr -dc '0-9' <"$displayfile")"
  export DISPLAY
}

wine_env_write_registry() {
  local state=$1
  local recorder=$state/browser-recorder.sh
  cat >"$recorder" <<EOF
#!/bin/sh
# Stands in for the web browser and the mail program: records the address.
printf '%s\n' "\$1" >>"$state/browser.log"
EOF
  chmod +x "$recorder"
  cat >"$state/settings.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]
"Browsers"="$recorder"
"Mailers"="$recorder"
EOF
  timeout 300 "$WINE_ENV_LOADER" regedit.exe /S "$(wine_env_winpath "$state/settings.reg")" \
    >"$state/logs/regedit.log" 2>&1 </dev/null
}

# Ends everything that wine_env_start started; safe to call twice.
wine_env_stop() {
  [ -n "$WINE_ENV_STARTED" ] || return 0
  WINE_ENV_STARTED=
  local pid
  for pid in "${WINE_ENV_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  if [ -n "${WINEPREFIX:-}" ]; then wine_env_end_server; fi
  if [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=
  fi
  WINE_ENV_PIDS=()
}

# Ends the prefix's server and with it every program of the prefix; no
# server to end is no failure.
wine_env_end_server() {
  timeout 60 wineserver -k >/dev/null 2>&1 || true
  timeout 60 wineserver -w >/dev/null 2>&1 || true
}

# Starts the persistent server that makes each later start fast. Its
# background processes get output files of their own, never a pipe of the
# caller.
wine_env_start_server() {
  local logs=$1
  wineserver -p >>"$logs/wineserver.log" 2>&1 </dev/null || return 1
  if ! timeout 300 "$WINE_ENV_LOADER" wineboot.exe >>"$logs/wineboot.log" 2>&1 </dev/null; then
    wine_env_log "wineboot failed (see $logs/wineboot.log)"
    return 1
  fi
}

# Ends every program of the prefix (such as what a hung test left behind)
# and starts the server afresh.
wine_env_restart_server() {
  wine_env_end_server
  wine_env_start_server "$WINE_ENV_STATE/logs"
}

wine_env_start() {
  local state build=${2:-}
  state=$(mkdir -p "$1" && cd "$1" && pwd) || return 1
  mkdir -p "$state/logs"
  if ! windows_build_runnable "$build"; then
    wine_env_log "this machine cannot run the ${build:-(no)} build: $(windows_build_why_not "$build")"
    return 1
  fi
  wine_env_use "$build" "$state/$(windows_build_wine_arch "$build")" || return 1
  export LC_ALL=C.UTF-8
  export WINE_ENV_BROWSER_LOG=$state/browser.log
  : >"$WINE_ENV_BROWSER_LOG"

  WINE_ENV_STARTED=1
  WINE_ENV_STATE=$state
  trap wine_env_stop EXIT
  trap 'wine_env_stop; exit 130' INT TERM

  # A server left over from an earlier, interrupted run of this prefix.
  wine_env_end_server

  wine_env_start_xvfb "$state/logs" || return 1

  wine_env_make_prefix "$state/logs/wineboot-init.log" || return 1
  wine_env_write_registry "$state" || { wine_env_log "registry settings failed"; return 1; }

  wine_env_end_server
  : >"$state/logs/wineserver.log"
  : >"$state/logs/wineboot.log"
  wine_env_start_server "$state/logs"
}

# For the scripts that drive a built Windows build folder (app/brantle.exe
# and the test programs in it): finds the folder's build from brantle.exe
# and starts its environment in <folder>/e2e-state. Sets WINE_ENV_BUILD to
# the build's name. Exits the calling script with status 2 when the folder
# holds no program of a known build, 3 when this machine cannot run it and
# 1 when the environment does not start.
wine_env_start_for_build_folder() {
  local folder=$1 script=$2
  WINE_ENV_BUILD=$(windows_build_of "$folder/app/brantle.exe") || {
    echo "$script: $folder/app/brantle.exe is not a Windows program of a known build" >&2
    exit 2
  }
  if ! windows_build_runnable "$WINE_ENV_BUILD"; then
    echo "$script: the $(windows_build_words "$WINE_ENV_BUILD") build cannot be driven here:" \
      "$(windows_build_why_not "$WINE_ENV_BUILD")" >&2
    exit 3
  fi
  wine_env_start "$folder/e2e-state" "$WINE_ENV_BUILD" || {
    echo "$script: the Wine environment did not start" >&2
    exit 1
  }
}
