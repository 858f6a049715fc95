#!/usr/bin/env bash
# Builds the release: dist/Brantle-<version>-windows.zip, with brantle.exe and
# brantle-rules.exe of every Windows build (scripts/windows-builds.sh), each in
# a folder named as the build, README.txt and SHA256SUMS.
# and dist/Brantle-<version>-web.zip, the page's folder with its service
# worker, manifest and icons.
#
# The zip is the same byte for byte wherever and whenever the same commit is
# packaged: the binaries carry no time stamp and no build folder, and every
# time in the zip is the time of the last commit (SOURCE_DATE_EPOCH, when set,
# instead). Needs what scripts/setup.sh installs.
#
# With the maker's code-signing certificate (BRANTLE_SIGN_PKCS12 and
# BRANTLE_SIGN_PASSWORD_FILE, or BRANTLE_SIGN_COMMAND; see
# scripts/authenticode.sh), every program is signed before SHA256SUMS is
# made; without a time stamp (BRANTLE_SIGN_TIMESTAMP_URL) the signed zip is
# as reproducible as the unsigned one. Files named in these settings and in
# BRANTLE_UPDATE_PUBLIC_KEY are found from the folder package.sh is started in.
set -euo pipefail
start=$PWD
cd "$(dirname "$0")/.."
# shellcheck source=windows-builds.sh
. scripts/windows-builds.sh

tools=(cmake zip emcmake)
for build in $WINDOWS_BUILDS; do tools+=("$(windows_build_triple "$build")-g++"); done
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "package: $tool is missing; run scripts/setup.sh first" >&2; exit 1; }
done
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "package: not a git checkout; set SOURCE_DATE_EPOCH to the release's time" >&2; exit 1; }
fi
# Times in a zip are local times, and file modes follow the umask: both fixed.
export SOURCE_DATE_EPOCH TZ=UTC
umask 022

# The maker's public key for signed update lists, when BRANTLE_UPDATE_PUBLIC_KEY
# names one; the project has no key of its own, so without it the release
# takes update lists unsigned. Given always, so that no key is left over
# from an earlier run in the build folder.
update_key=${BRANTLE_UPDATE_PUBLIC_KEY:-}
if [ -n "$update_key" ]; then
  update_key=$(cd "$start" && realpath -e "$update_key") || { echo "package: $BRANTLE_UPDATE_PUBLIC_KEY: no such file" >&2; exit 1; }
  echo "package: update lists must be signed by the key in $update_key"
else
  echo "package: no BRANTLE_UPDATE_PUBLIC_KEY: update lists are taken unsigned"
fi

# A zip left by an earlier run must not pass for this run's when it fails.
version=$(sed -n 's/^set(BRANTLE_VERSION \([0-9.]*\))$/\1/p' cmake/version.cmake)
rm -f "dist/Brantle-$version-windows.zip" "dist/Brantle-$version-web.zip"

# Signed or not, said before the long build; settings that cannot sign
# (a wrong password among them) end the run here.
authenticode=$PWD/scripts/authenticode.sh
sign_options=()
if plan=$(cd "$start" && "$authenticode" --plan); then
  sign_options=(-DSIGN="$authenticode" -DSIGN_FOLDER="$start")
else
  status=$?
  [ "$status" -eq 3 ] || exit "$status"
fi
echo "package: $plan"

trees=()
for build in $WINDOWS_BUILDS; do
  echo "package: building the $(windows_build_words "$build") programs"
  cmake -S . -B "build/release-$build" -DCMAKE_TOOLCHAIN_FILE="$(windows_build_toolchain "$build")" \
    -DCMAKE_BUILD_TYPE=Release -DBRANTLE_E2E=OFF -DBRANTLE_UPDATE_PUBLIC_KEY="$update_key" --no-warn-unused-cli >/dev/null
  cmake --build "build/release-$build" -j2 >/dev/null
  trees+=("$build=build/release-$build")
done

stage=build/release/stage
cmake "-DBUILDS=$(IFS=';'; echo "${trees[*]}")" -DSTAGE="$PWD/$stage" "${sign_options[@]}" -P packaging/stage.cmake
zip=dist/$(cat "$stage.name")
mkdir -p dist
rm -f "$zip"
# Info-ZIP with its extra fields left out (-X: no owner, no second time
# stamp), no folder entries (-D), the files in the staged order and all of
# one time and of fixed modes: nothing in the zip depends on who made it,
# where or when.
find "$stage" -type f -exec chmod 644 {} + -name '*.exe' -exec chmod 755 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$stage" && zip -q -X -D -9 "$OLDPWD/$zip" -@ <"$OLDPWD/$stage.list")
echo "package: $zip ($(stat -c %s "$zip") bytes, SHA-256 $(sha256sum "$zip" | cut -d' ' -f1))"

echo "package: building the page"
emcmake cmake -S . -B build/release-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release-web -j2 >/dev/null
web_zip=dist/Brantle-$version-web.zip
web_stage=build/release/web-stage
rm -rf "$web_stage" "$web_zip"
mkdir -p "$web_stage"
web_files=(index.html brantle.js brantle.css brantle.ico brantle.webmanifest brantle-192.png brantle-512.png
  brantle-maskable.png service-worker.js)
for file in "${web_files[@]}"; do cp "build/release-web/page/$file" "$web_stage/"; done
chmod 644 "$web_stage"/*
touch -h -d "@$SOURCE_DATE_EPOCH" "$web_stage"/*
(cd "$web_stage" && zip -q -X -D -9 "$OLDPWD/$web_zip" "${web_files[@]}")
echo "package: $web_zip ($(stat -c %s "$web_zip") bytes, SHA-256 $(sha256sum "$web_zip" | cut -d' ' -f1))"
