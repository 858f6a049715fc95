#!/usr/bin/env bash
# Installs what building and testing Brantle needs on Debian, skipping what is
# already there: the native toolchain and test libraries, clang for the
# fuzzers, shellcheck for the scripts, clang-format 14 for the C++ layout,
# MinGW-w64 for every Windows build, osslsigncode to sign the release (with
# SoftHSM and OpenSSL's PKCS#11 engine, which the release check uses as a
# stand-in for a maker's hardware token), and Wine with Xvfb to run them. Each
# build's Wine loader (wine32 with the i386 architecture for the 32-bit one)
# only where this machine can run it. For the web build: Emscripten, Chromium
# and Node from Debian, and the page tests' npm packages (playwright-core,
# which drives that Chromium and downloads no browser, and axe-core, which
# checks the page's accessibility).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=windows-builds.sh
. scripts/windows-builds.sh

packages=(
  cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libssl-dev openssl python3 python3-pefile
  clang libclang-rt-14-dev clang-format-14 shellcheck
  mingw-w64-tools wine xvfb x11-apps imagemagick xdotool zip unzip
  osslsigncode softhsm2 libengine-pkcs11-openssl
)
for build in $WINDOWS_BUILDS; do
  read -r -a compilers <<<"$(windows_build_packages "$build")"
  packages+=("${compilers[@]}")
  if windows_build_runnable "$build"; then packages+=("$(windows_build_wine_package "$build")"); fi
done

# Installed without the packages they merely recommend (a desktop's worth
# for Chromium).
web_packages=(emscripten chromium nodejs)

missing_of() {
  local package
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || echo "$package"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t web_missing < <(missing_of "${web_packages[@]}")

if [ $((${#missing[@]} + ${#web_missing[@]})) -gt 0 ]; then
  echo "Installing: ${missing[*]} ${web_missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
  if [ ${#web_missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${web_missing[@]}" >/dev/null
  fi
fi

# The page tests' packages, as their lock file names them, unless they are
# all there.
if ! node -e '
  const packages = require("./tests/web/package-lock.json").packages;
  for (const [where, entry] of Object.entries(packages)) {
    if (where && require("./tests/web/" + where + "/package.json").version !== entry.version) process.exit(1);
  }
' 2>/dev/null; then
  echo "Installing the page tests' npm packages (npm ci in tests/web)"
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
