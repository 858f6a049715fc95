#!/usr/bin/env bash
# Installs what building and testing Brantle needs on Debian, skipping what is
# already there: the native toolchain and test libraries, clang for the
# fuzzers, MinGW-w64 for both Windows builds (32-bit and 64-bit), and Wine
# with Xvfb to run them. Wine's 32-bit part (wine32, with the i386
# architecture) only where this machine can run 32-bit programs.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=windows-builds.sh
. scripts/windows-builds.sh

packages=(
  cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libssl-dev openssl python3 python3-pefile
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 xvfb x11-apps imagemagick xdotool zip unzip
)
if machine_runs_32bit; then
  packages+=(wine32:i386)
fi

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
