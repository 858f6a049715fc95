#!/usr/bin/env bash
# Installs what building and testing Brantle needs on Debian, skipping what is
# already there: the native toolchain and test libraries, clang for the
# fuzzers, shellcheck for the scripts, MinGW-w64 for every Windows build, and
# Wine with Xvfb to run them. Each build's Wine loader (wine32 with the i386
# architecture for the 32-bit one) only where this machine can run it.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=windows-builds.sh
. scripts/windows-builds.sh

packages=(
  cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libssl-dev openssl python3 python3-pefile
  clang libclang-rt-14-dev shellcheck
  mingw-w64-tools wine xvfb x11-apps imagemagick xdotool zip unzip
)
for build in $WINDOWS_BUILDS; do
  read -r -a compilers <<<"$(windows_build_packages "$build")"
  packages+=("${compilers[@]}")
  if windows_build_runnable "$build"; then packages+=("$(windows_build_wine_package "$build")"); fi
done

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
