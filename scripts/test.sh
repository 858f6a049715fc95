#!/usr/bin/env bash
# Sets up, builds and runs every test: the native unit tests (plain and under
# AddressSanitizer + UndefinedBehaviorSanitizer), the web build (brantle-rules
# under Node, the page in headless Chromium), a short run of each fuzzer,
# and the Windows program end to end under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n==== %s\n' "$*"; }

step "Installing what is missing"
scripts/setup.sh

step "Shell scripts (shellcheck)"
shellcheck -x scripts/*.sh tests/*.sh
echo "shellcheck: no findings"

step "C++ layout (clang-format 14 with .clang-format)"
unclean=()
while IFS= read -r -d '' file; do
  clang-format-14 --style=file "$file" | cmp -s - "$file" || unclean+=("$file")
done < <(git ls-files -z '*.cpp' '*.h')
if [ ${#unclean[@]} -gt 0 ]; then
  printf 'not as clang-format lays it out: %s\n' "${unclean[@]}"
  echo "clang-format-14 -i <file> lays a file out"
  exit 1
fi
echo "clang-format: every C++ file is clean"

step "Native build and unit tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j2
ctest --test-dir build/native --output-on-failure -j2

step "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DBRANTLE_SANITIZE=ON -DBRANTLE_BENCH=OFF >/dev/null
cmake --build build/asan -j2
ctest --test-dir build/asan --output-on-failure -j2

step "Web build: the page (build/web/page/) and brantle-rules for Node, judged by the native brantle-rules"
emcmake cmake -S . -B build/web -DBRANTLE_RULES_REFERENCE="$PWD/build/native/cli/brantle-rules" >/dev/null
cmake --build build/web -j2

step "The web build's tests (ctest -L web): brantle-rules under Node; the page in headless Chromium: its dialog, its schedule check, the page for everyone, the page installed and offline"
web_status=0
ctest --test-dir build/web -L web --output-on-failure || web_status=$?
# Each test's checks, counted in CTest's record of their output.
awk '
  /^[0-9]+\/[0-9]+ Test: / { name = $3; names[++n] = name }
  /^ok/ { ok[name]++ }
  /^skipped/ { skipped[name]++ }
  /^FAILED/ { failed[name]++ }
  END { for (i = 1; i <= n; i++) printf "%s: %d passed, %d skipped, %d failed\n", names[i], ok[names[i]], skipped[names[i]], failed[names[i]] }
' build/web/Testing/Temporary/LastTest.log
[ "$web_status" -eq 0 ]

step "Fuzzers, 10 seconds each"
scripts/fuzz.sh 10 build/fuzz

# shellcheck source=windows-builds.sh
. scripts/windows-builds.sh
# The update server stand-in's port; another one lets two checkouts run
# their tests side by side on one machine.
port=${BRANTLE_E2E_PORT:-47123}
keys=$PWD/build/e2e-keys
# Each test build's cache records what its end-to-end tests need besides the
# build (the build with a test key and that key's private half, both made
# below, and the native brantle-rules), so that `ctest -L e2e` in the folder
# runs on its own as it runs here.
for build in $WINDOWS_BUILDS; do
  step "Windows build, $(windows_build_words "$build") ($build), for the end-to-end tests (update server on 127.0.0.1:$port)"
  cmake -S . -B "build/win-$build-test" -DCMAKE_TOOLCHAIN_FILE="$(windows_build_toolchain "$build")" \
    -DBRANTLE_UPDATE_HOST="127.0.0.1:$port" -DBRANTLE_TEST_LIMITS=ON \
    -DBRANTLE_E2E_SIGNED_BUILD="$PWD/build/win-$build-signed" -DBRANTLE_E2E_MAKER_KEY="$keys/maker-key.pem" \
    -DBRANTLE_RULES_REFERENCE="$PWD/build/native/cli/brantle-rules" >/dev/null
  cmake --build "build/win-$build-test" -j2
done

# A key pair made for this run, and each build's brantle.exe once more with
# its public key built in, for the signed-list scenarios: the program alone,
# into a folder of its own.
step "A test key for signed update lists, and brantle.exe built with it"
rm -rf "$keys" && mkdir -p "$keys"
openssl ecparam -name prime256v1 -genkey -noout -out "$keys/maker-key.pem"
openssl ec -in "$keys/maker-key.pem" -pubout -out "$keys/update-key.pem" 2>/dev/null
for build in $WINDOWS_BUILDS; do
  cmake -S . -B "build/win-$build-signed" -DCMAKE_TOOLCHAIN_FILE="$(windows_build_toolchain "$build")" \
    -DBRANTLE_UPDATE_HOST="127.0.0.1:$port" -DBRANTLE_UPDATE_PUBLIC_KEY="$keys/update-key.pem" -DBRANTLE_E2E=OFF \
    -DBRANTLE_TEST_LIMITS=ON >/dev/null
  cmake --build "build/win-$build-signed" -j2 --target brantle
done

step "Every executable as a file: headers, export, code and resources"
for build in $WINDOWS_BUILDS; do
  windows_build_pe_check "$build" "build/win-$build-test/app/brantle.exe" resources
  windows_build_pe_check "$build" "build/win-$build-signed/app/brantle.exe" resources "$keys/update-key.pem"
done

step "Release zip: the last commit packaged from two fresh clones, unsigned and signed with a throw-away certificate, compared and checked"
tests/release_check.sh

# Every build this machine can run is driven; the others are named, with the
# reason, so a run on a 64-bit-only machine says what it did not test.
driven=() skipped=() failed=()
for build in $WINDOWS_BUILDS; do
  if ! windows_build_runnable "$build"; then
    skipped+=("$build: $(windows_build_why_not "$build")")
    continue
  fi
  step "End-to-end tests under Wine, $(windows_build_words "$build") build, at 96 dpi and for the display-scale group at 120, 144, 168 and 192 dpi (ctest -L e2e)"
  # The test command gives every scenario what it needs, so a scenario
  # skipped here is a fault too.
  if ctest --test-dir "build/win-$build-test" -L e2e --output-on-failure &&
    ! grep -qE ', [1-9][0-9]* skipped' "build/win-$build-test"/e2e-summary*.txt; then
    driven+=("$build")
  else
    failed+=("$build")
  fi
  cat "build/win-$build-test"/e2e-summary*.txt 2>/dev/null || true
done

step "Windows builds driven end to end"
for build in "${driven[@]}"; do echo "driven, all checks passed: $build ($(windows_build_words "$build"))"; done
for build in "${failed[@]}"; do echo "driven, FAILED: $build ($(windows_build_words "$build"))"; done
for line in "${skipped[@]}"; do echo "not driven: $line (its file checks above still ran)"; done
[ ${#failed[@]} -eq 0 ] && [ ${#driven[@]} -gt 0 ]
