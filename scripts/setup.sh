#!/usr/bin/env bash
# Installs what building and testing Brantle needs on Debian, skipping what is
# already there: the native toolchain and test libraries, clang for the
# fuzzers, MinGW-w64 for the Windows program, and Wine with Xvfb to run it.
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libssl-dev python3
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
  wine wine32:i386 xvfb x11-apps imagemagick xdotool
)

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
