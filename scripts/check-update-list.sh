#!/usr/bin/env bash
# Checks an update list and its signature before they are uploaded, with the
# program's own update check: brantle.exe's list reader, signature reader
# and rules, built natively (maker/), run over the two files as in a build
# that carries the maker's public key.
#
#   scripts/check-update-list.sh LIST SIG KEY
#
# LIST is updates.txt, SIG its signature (updates.txt.sig, as
# "openssl dgst -sha256 -sign maker-key.pem -out updates.txt.sig updates.txt"
# writes it) and KEY the public key that the program is built with
# (BRANTLE_UPDATE_PUBLIC_KEY). KEY is read exactly as the build reads it.
# Says what the program would do: refuse the list and show which message,
# or offer its line and open or download which address. Exits 0 when the
# program would take the list, 1 when it would show a failure instead
# ("Could not verify the update list", or a line it cannot carry out), 2 on
# wrong use.
#
# The check is the native program brantle-list-check: BRANTLE_LIST_CHECKER
# names one; otherwise it is built (or found up to date) in build/native
# when that folder is configured, or else in build/maker, from this
# checkout alone (it needs the compiler, CMake and OpenSSL's libcrypto that
# scripts/setup.sh installs; nothing from the network).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

if [ $# -ne 3 ]; then
  echo "usage: $0 LIST SIG KEY" >&2
  exit 2
fi
list=$1 sig=$2 key=$3
for file in "$list" "$sig" "$key"; do
  [ -f "$file" ] || { echo "check-update-list: $file: no such file" >&2; exit 2; }
done
command -v cmake >/dev/null || { echo "check-update-list: cmake is missing" >&2; exit 2; }

# The key's 64 bytes, read exactly as the build reads them: on success the
# only output is their 128 hexadecimal digits.
if ! key_hex=$(cmake -DKEY="$key" -P "$repo/cmake/update_public_key.cmake" 2>&1); then
  # CMake's message: the lines after "CMake Error at ..." up to the first empty one.
  printf '%s\n' "$key_hex" | awk 'NR > 1 && (/^ *$/ || /^Call Stack/) { exit } NR > 1 { sub(/^ +/, ""); print }' >&2
  echo "check-update-list: $key is not a key that the program can be built with" >&2
  exit 2
fi

checker=${BRANTLE_LIST_CHECKER:-}
if [ -z "$checker" ]; then
  folder=$repo/build/native
  if [ ! -f "$folder/CMakeCache.txt" ]; then
    folder=$repo/build/maker
    if [ ! -f "$folder/CMakeCache.txt" ]; then
      cmake -S "$repo" -B "$folder" -DCMAKE_BUILD_TYPE=Release -DBRANTLE_TESTS=OFF -DBRANTLE_BENCH=OFF >/dev/null ||
        { echo "check-update-list: could not configure $folder" >&2; exit 2; }
    fi
  fi
  if ! output=$(cmake --build "$folder" --target brantle-list-check -j2 2>&1); then
    printf '%s\n' "$output" | tail -n 30 >&2
    echo "check-update-list: could not build brantle-list-check in $folder" >&2
    exit 2
  fi
  checker=$folder/maker/brantle-list-check
fi

exec "$checker" "$list" "$sig" "$key_hex"
