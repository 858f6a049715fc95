#!/usr/bin/env bash
# Sets up, builds and runs every test: the native unit tests (plain and under
# AddressSanitizer + UndefinedBehaviorSanitizer), a short run of each fuzzer,
# and the Windows program end to end under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n==== %s\n' "$*"; }

step "Installing what is missing"
scripts/setup.sh

step "Native build and unit tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j2
ctest --test-dir build/native --output-on-failure -j2

step "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DBRANTLE_SANITIZE=ON -DBRANTLE_BENCH=OFF >/dev/null
cmake --build build/asan -j2
ctest --test-dir build/asan --output-on-failure -j2

step "Fuzzers, 10 seconds each"
scripts/fuzz.sh 10 build/fuzz

step "Windows build for the end-to-end tests (update server on 127.0.0.1:47123)"
cmake -S . -B build/win-test -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DBRANTLE_UPDATE_HOST=127.0.0.1:47123 >/dev/null
cmake --build build/win-test -j2

step "End-to-end tests under Wine"
scripts/e2e.sh build/win-test
