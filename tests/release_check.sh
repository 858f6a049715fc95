#!/usr/bin/env bash
# The release zip: packaging the same commit from two fresh clones, in two
# folders and at two times, gives the same bytes; the zip holds exactly
# README.txt, the two programs of every Windows build and SHA256SUMS, which
# verifies them; README.txt has CR LF line ends; each program is the build
# its folder names, and each brantle.exe passes the file checks of the test
# command. The web zip holds the page's files, every file its page, its
# manifest and its service worker name, and fits its budget.
#
#   tests/release_check.sh     (checks the last commit, not uncommitted work)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../scripts/windows-builds.sh
. "$repo/scripts/windows-builds.sh"
mkdir -p "$repo/build"
work=$(mktemp -d "$repo/build/release-check.XXXXXX")
other=$(mktemp -d "${TMPDIR:-/tmp}/brantle-release.XXXXXX")
trap 'rm -rf "$work" "$other"' EXIT

# shellcheck source=check.sh
. "$repo/tests/check.sh"

# Fresh clones of the last commit; where the project is not a git checkout,
# copies of its files, packaged with one release time.
fresh_copy() {
  if git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
    git clone -q "$repo" "$1"
  else
    mkdir -p "$1" && tar -C "$repo" --exclude=./build --exclude=./dist -cf - . | tar -C "$1" -xf -
    export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(date +%s)}
  fi
}
fresh_copy "$work/first"
fresh_copy "$other/a/second"
(cd "$work/first" && scripts/package.sh)
sleep 2  # a later time, so that nothing the clock gives can go unnoticed
(cd "$other/a/second" && scripts/package.sh)
name=$(cd "$work/first/dist" && for zip in *-windows.zip; do echo "$zip"; done)
first=$work/first/dist/$name
check "one zip, named after the version" "Brantle-1.10.1-windows.zip" "$name"
check "the same bytes from both clones" "$(sha256sum <"$first")" "$(sha256sum <"$other/a/second/dist/$name")"

programs=()
for build in $WINDOWS_BUILDS; do programs+=("$build/brantle.exe" "$build/brantle-rules.exe"); done
check "the zip's files, in order" "README.txt $(printf '%s\n' "${programs[@]}" | LC_ALL=C sort | xargs) SHA256SUMS" \
  "$(unzip -Z1 "$first" | xargs)"
unzip -q "$first" -d "$work/unpacked"
check "SHA256SUMS verifies every other file" "$((${#programs[@]} + 1)) OK" \
  "$(cd "$work/unpacked" && sha256sum -c SHA256SUMS | grep -c ': OK$') OK"
readme=$work/unpacked/README.txt
check "README.txt: every line ends in CR LF" "$(grep -c '' "$readme")" "$(grep -c $'\r$' "$readme")"
check "README.txt names the version" 1 "$(head -1 "$readme" | grep -c '^Brantle 1\.10 (build 1)')"
for build in $WINDOWS_BUILDS; do
  for program in brantle brantle-rules; do
    check "$build/$program.exe is the $(windows_build_words "$build") build" "$build" \
      "$(windows_build_of "$work/unpacked/$build/$program.exe")"
  done
  status=0
  windows_build_pe_check "$build" "$work/unpacked/$build/brantle.exe" "$repo/resources" \
    >"$work/pe-$build.log" || status=$?
  check "$build/brantle.exe passes its file checks" 0 "$status"
done
web=$work/first/dist/Brantle-1.10.1-web.zip
check "the web zip: the same bytes from both clones" "$(sha256sum <"$web")" \
  "$(sha256sum <"$other/a/second/dist/Brantle-1.10.1-web.zip")"
check "the web zip's files, in order" \
  "index.html brantle.js brantle.css brantle.ico brantle.webmanifest brantle-192.png brantle-512.png brantle-maskable.png service-worker.js" \
  "$(unzip -Z1 "$web" | xargs)"
unzip -q "$web" -d "$work/web"
check "the page names no file that the web zip lacks" "brantle-192.png brantle.css brantle.ico brantle.js brantle.webmanifest" \
  "$(grep -o '\(src\|href\)="[^"#]*"' "$work/web/index.html" | sed 's/.*="//;s/"$//' | sort | xargs)"
check "the manifest's icons are in the web zip" "brantle-192.png brantle-512.png brantle-maskable.png" \
  "$(grep -o '"src": "[^"]*"' "$work/web/brantle.webmanifest" | sed 's/.*: "//;s/"$//' | sort | xargs)"
# The service worker keeps every other file, each by its SHA-256: a hash
# that is not the zip's file's would keep the page from ever going offline.
worker_list=$(grep -o '"[^"]*": "[0-9a-f]\{64\}"' "$work/web/service-worker.js" | sed 's/^"\([^"]*\)": "\([0-9a-f]*\)"$/\2  \1/')
check "the service worker keeps every other file of the web zip" "$(unzip -Z1 "$web" | grep -vx service-worker.js | sort | xargs)" \
  "$(echo "$worker_list" | cut -d' ' -f3 | sort | xargs)"
check "the service worker's hashes are the web zip's files'" 0 \
  "$(cd "$work/web" && echo "$worker_list" | sha256sum --quiet -c >/dev/null 2>&1; echo $?)"
web_budget=256000 # 250 KB
check "the web zip fits its budget of $web_budget bytes" yes "$([ "$(stat -c %s "$web")" -le $web_budget ] && echo yes || echo no)"
echo "release zip: $(stat -c %s "$first") bytes; web zip: $(stat -c %s "$web") bytes"
unzip -l "$first" | sed -n "4,$((3 + ${#programs[@]} + 2))p"

check_summary
