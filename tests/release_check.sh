#!/usr/bin/env bash
# The release zip: packaging the same commit from two fresh clones, in two
# folders and at two times, gives the same bytes; the zip holds exactly
# README.txt, the two programs of every Windows build and SHA256SUMS, which
# verifies them; README.txt has CR LF line ends; each program is the build
# its folder names, and each brantle.exe passes the file checks of the test
# command. The web zip holds the page's files, every file its page, its
# manifest and its service worker name, and fits its budget.
#
# Then the signed release, with a throw-away root, code-signing certificate
# and time-stamp authority made for this run: both clones signed with a
# PKCS#12 file give the same zip, and so does signing with the same key on a
# PKCS#11 token (SoftHSM) through BRANTLE_SIGN_COMMAND; every program
# verifies against the root and is its unsigned self with a signature added;
# SHA256SUMS holds the signed files' sums; a time stamp is added when asked
# for; the password is on no command line, in no environment and in no
# output; settings that cannot sign end the run with no zip. Under Wine,
# every build this machine can run: the signed brantle-rules.exe answers a
# schedule as the unsigned one does, and the signed brantle.exe shows its
# main dialog.
#
#   tests/release_check.sh     (checks the last commit, not uncommitted work)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=../scripts/windows-builds.sh
. "$repo/scripts/windows-builds.sh"
mkdir -p "$repo/build"
work=$(mktemp -d "$repo/build/release-check.XXXXXX")
other=$(mktemp -d "${TMPDIR:-/tmp}/brantle-release.XXXXXX")
tsa_pid=
cleanup() {
  if [ -n "$tsa_pid" ]; then kill "$tsa_pid" 2>/dev/null || true; fi
  rm -rf "$work" "$other"
}
trap cleanup EXIT

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

# package <log name> <folder to start in> <clone> [VAR=value ...]: runs the
# clone's package.sh from that folder with only the signing settings given
# (none from the caller's environment), its output in $work/<log name>.log.
package() {
  local log=$work/$1.log folder=$2 clone=$3
  shift 3
  (cd "$folder" && env -u BRANTLE_SIGN_PKCS12 -u BRANTLE_SIGN_PASSWORD_FILE -u BRANTLE_SIGN_COMMAND \
    -u BRANTLE_SIGN_TIMESTAMP_URL "$@" "$clone/scripts/package.sh") >"$log" 2>&1
}

# package_or_stop: the same, ending the check with the log's end when it fails.
package_or_stop() {
  if ! package "$@"; then
    echo "FAILED: package.sh ($1)"
    tail -n 30 "$work/$1.log"
    exit 1
  fi
}

fresh_copy "$work/first"
fresh_copy "$other/a/second"
package_or_stop unsigned-first "$work/first" "$work/first"
sleep 2  # a later time, so that nothing the clock gives can go unnoticed
package_or_stop unsigned-second "$other/a/second" "$other/a/second"
name=$(cd "$work/first/dist" && for zip in *-windows.zip; do echo "$zip"; done)
first=$work/unsigned.zip
cp "$work/first/dist/$name" "$first"
check "one zip, named after the version" "Brantle-1.10.1-windows.zip" "$name"
check "the same bytes from both clones" "$(sha256sum <"$first")" "$(sha256sum <"$other/a/second/dist/$name")"
check "package.sh says that the release is unsigned" 1 \
  "$(grep -c '^package: the programs are unsigned: no BRANTLE_SIGN_PKCS12 or BRANTLE_SIGN_COMMAND is set$' \
    "$work/unsigned-first.log")"

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
web=$work/unsigned-web.zip
cp "$work/first/dist/Brantle-1.10.1-web.zip" "$web"
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
web_budget=250000 # 250 KB
check "the web zip fits its budget of $web_budget bytes" yes "$([ "$(stat -c %s "$web")" -le $web_budget ] && echo yes || echo no)"
echo "release zip: $(stat -c %s "$first") bytes; web zip: $(stat -c %s "$web") bytes"
unzip -l "$first" | sed -n "4,$((3 + ${#programs[@]} + 2))p"

# ---- The signed release ----

# A root, a code-signing certificate it issued (in a PKCS#12 file with a
# password made for this run, and as PEM for the token), a time-stamp
# authority's certificate, and a stranger root that issued none of them.
pki=$work/pki
mkdir -p "$pki"
(
  cd "$pki"
  quiet() { "$@" >/dev/null 2>&1 || { echo "FAILED: $*" >&2; exit 1; }; }
  quiet openssl req -x509 -newkey rsa:3072 -nodes -keyout root.key -out root.pem -days 2 \
    -subj "/CN=Brantle release check root" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign
  quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout stranger.key -out stranger.pem -days 2 \
    -subj "/CN=Brantle release check stranger" -addext basicConstraints=critical,CA:TRUE
  issue() {  # issue <name> <subject> <extended key usage>
    quiet openssl req -new -newkey rsa:3072 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2"
    printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$3" \
      >"$1.ext"
    quiet openssl x509 -req -in "$1.csr" -CA root.pem -CAkey root.key -CAcreateserial -days 2 -extfile "$1.ext" \
      -out "$1.pem"
  }
  issue signer "/O=Kestrix Software Ltd/CN=Kestrix Software Ltd" codeSigning
  issue tsa "/CN=Brantle release check time stamps" critical,timeStamping
  openssl rand -hex 24 >password
  openssl rand -hex 24 >wrong-password
  quiet openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile root.pem -passout file:password \
    -out maker.p12
  cat signer.pem root.pem >chain.pem
)
password=$(cat "$pki/password")

# osslsigncode and openssl, run through stand-ins that write down each
# command line and environment before they run the real program.
shims=$work/shims
mkdir -p "$shims"
for tool in osslsigncode openssl; do
  printf '#!/bin/sh\n{ echo "%s $*"; env; } >>"%s"\nexec %s "$@"\n' "$tool" "$work/commands.log" \
    "$(command -v "$tool")" >"$shims/$tool"
  chmod +x "$shims/$tool"
done
: >"$work/commands.log"

# The key on a PKCS#11 token: SoftHSM, with a PIN file, as a maker's
# hardware token is used (README: signing with a token).
token_module=/usr/lib/softhsm/libsofthsm2.so
export SOFTHSM2_CONF=$pki/softhsm2.conf
mkdir -p "$pki/tokens"
echo "directories.tokendir = $pki/tokens" >"$SOFTHSM2_CONF"
openssl rand -hex 8 >"$pki/pin"
softhsm2-util --init-token --free --label brantle-check --so-pin "$(openssl rand -hex 8)" \
  --pin "$(cat "$pki/pin")" >/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$pki/signer.key" -out "$pki/signer.p8"
softhsm2-util --import "$pki/signer.p8" --token brantle-check --label code-signing --id 01 \
  --pin "$(cat "$pki/pin")" >/dev/null
rm -f "$pki/signer.p8"
# The signing script as README shows it, in a folder whose name holds a space.
token_script="$work/token tools/sign-with-token.sh"
mkdir -p "${token_script%/*}"
cat >"$token_script" <<EOF
#!/bin/sh
exec osslsigncode sign -pkcs11module $token_module \\
  -certs "$pki/chain.pem" -key 'pkcs11:token=brantle-check;object=code-signing;type=private' \\
  -readpass "$pki/pin" -h sha256 -n "\$BRANTLE_SIGN_NAME" -i "\$BRANTLE_SIGN_URL" \\
  -time "\$SOURCE_DATE_EPOCH" -in "\$1" -out "\$2"
EOF
chmod +x "$token_script"

# The first clone signed with files named relative to the folder package.sh
# starts in, the second with full paths, a moment later.
package_or_stop signed-first "$pki" "$work/first" PATH="$shims:$PATH" \
  BRANTLE_SIGN_PKCS12=maker.p12 BRANTLE_SIGN_PASSWORD_FILE=password
signed=$work/signed.zip
cp "$work/first/dist/$name" "$signed"
sleep 2
package_or_stop signed-second "$other" "$other/a/second" PATH="$shims:$PATH" \
  BRANTLE_SIGN_PKCS12="$pki/maker.p12" BRANTLE_SIGN_PASSWORD_FILE="$pki/password"
check "signed: the same bytes from both clones" "$(sha256sum <"$signed")" \
  "$(sha256sum <"$other/a/second/dist/$name")"
check "signed: package.sh names the signer and says there is no time stamp" 1 \
  "$(grep -c '^package: the programs are signed as ".*CN = Kestrix Software Ltd" with the key in maker.p12: SHA-256, no time stamp' \
    "$work/signed-first.log")"
check "signed: the web zip is the unsigned run's" "$(sha256sum <"$web")" \
  "$(sha256sum <"$work/first/dist/Brantle-1.10.1-web.zip")"
package_or_stop token "$work" "$work/first" BRANTLE_SIGN_COMMAND="$token_script"
check "a key on a PKCS#11 token, through BRANTLE_SIGN_COMMAND, gives the same zip" \
  "$(sha256sum <"$signed")" "$(sha256sum <"$work/first/dist/$name")"

check "signed: the zip's files, in order, as unsigned" "$(unzip -Z1 "$first" | xargs)" "$(unzip -Z1 "$signed" | xargs)"
unzip -q "$signed" -d "$work/signed"
check "signed: SHA256SUMS verifies every signed file" "$((${#programs[@]} + 1)) OK" \
  "$(cd "$work/signed" && sha256sum -c SHA256SUMS | grep -c ': OK$') OK"
check "signed: README.txt as unsigned" "$(sha256sum <"$readme")" "$(sha256sum <"$work/signed/README.txt")"
release_time=${SOURCE_DATE_EPOCH:-$(git -C "$work/first" log -1 --format=%ct)}
signing_time=$(LC_ALL=C TZ=UTC date -d "@$release_time" '+%b %e %H:%M:%S %Y GMT')
for program in "${programs[@]}"; do
  exe=$work/signed/$program
  status=0
  osslsigncode verify -CAfile "$pki/root.pem" -in "$exe" >"$work/verify.log" 2>&1 || status=$?
  check "$program verifies against the run's root" 0 "$status"
  check "$program: SHA-256, the program's name, the maker's address, the release's time" \
    "Message digest algorithm: SHA256|Signing time: $signing_time|Text description: Brantle|URL description: https://www.kestrix.example/" \
    "$(sed 's/^[[:space:]]*//;s/[[:space:]]*:[[:space:]]*/: /' "$work/verify.log" |
      grep -E '^(Message digest algorithm|Signing time|URL description|Text description):' | LC_ALL=C sort -u |
      paste -sd'|')"
  status=0
  osslsigncode verify -CAfile "$pki/stranger.pem" -in "$exe" >/dev/null 2>&1 || status=$?
  check "$program does not verify against a root that did not issue its certificate" 1 "$((status != 0))"
  rm -f "$work/unsigned-again.exe"  # osslsigncode writes no file that exists
  osslsigncode remove-signature -in "$exe" -out "$work/unsigned-again.exe" >/dev/null 2>&1 || true
  check "$program is the unsigned program with a signature added" \
    "$(sha256sum <"$work/unpacked/$program")" "$(sha256sum <"$work/unsigned-again.exe" 2>/dev/null)"
  status=0
  /usr/bin/python3 "$repo/tests/pe_check.py" --layout-only "$exe" >"$work/pe-layout.log" || status=$?
  check "$program: the PE checksum and the certificate table" 0 "$status"
done
for build in $WINDOWS_BUILDS; do
  status=0
  windows_build_pe_check "$build" "$work/signed/$build/brantle.exe" "$repo/resources" \
    >"$work/pe-signed-$build.log" || status=$?
  check "signed $build/brantle.exe passes its file checks" 0 "$status"
done

# The file layout check finds a signed program spoilt in each of these ways:
# a wrong checksum; and, each with its checksum made right again, bytes
# after the signature, a certificate of another kind (X.509), an entry
# longer than the table.
for how in checksum trailing-bytes x509-certificate long-entry; do
  /usr/bin/python3 - "$work/signed/${programs[0]}" "$work/spoilt.exe" "$how" <<'EOF'
import struct
import sys

import pefile

signed, spoilt, how = sys.argv[1:]
with open(signed, "rb") as f:
    data = bytearray(f.read())
pe = pefile.PE(data=bytes(data), fast_load=True)
checksum = pe.OPTIONAL_HEADER.get_field_absolute_offset("CheckSum")
table = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]].VirtualAddress
if how == "checksum":
    struct.pack_into("<I", data, checksum, pe.OPTIONAL_HEADER.CheckSum ^ 0x00010000)
else:
    if how == "trailing-bytes":
        data += bytes(8)
    elif how == "x509-certificate":
        struct.pack_into("<H", data, table + 6, 1)
    elif how == "long-entry":
        struct.pack_into("<I", data, table, struct.unpack_from("<I", data, table)[0] + 8)
    struct.pack_into("<I", data, checksum, pefile.PE(data=bytes(data), fast_load=True).generate_checksum())
with open(spoilt, "wb") as f:
    f.write(data)
EOF
  status=0
  /usr/bin/python3 "$repo/tests/pe_check.py" --layout-only "$work/spoilt.exe" >"$work/pe-spoilt.log" || status=$?
  check "the file layout check refuses a signed program with $how" "1 1" \
    "$status $(grep -c '^FAIL ' "$work/pe-spoilt.log")"
done

# The password: on no command line, in no environment, in no output.
cat "$work"/signed-*.log "$work/token.log" >"$work/outputs.log"
(cd "$work/signed" && cat ./*/*.exe SHA256SUMS README.txt) >>"$work/outputs.log"
check "osslsigncode and openssl ran for the signing" 1 \
  "$(grep -q '^osslsigncode sign -pkcs12 ' "$work/commands.log" && grep -q '^openssl pkcs12 ' "$work/commands.log" && echo 1)"
check "the password is on no command line and in no environment" 0 "$(grep -caF "$password" "$work/commands.log" || true)"
check "the password is in no output of package.sh and in no file of the zip" 0 \
  "$(grep -caF "$password" "$work/outputs.log" || true)"

# Settings that cannot sign end the run at once, and leave no zip behind.
while IFS='|' read -r what settings message; do
  read -r -a assignments <<<"$settings"
  status=0
  package refused "$pki" "$work/first" "${assignments[@]}" || status=$?
  check "refused, $what: package.sh fails" 1 "$((status != 0))"
  check "refused, $what: it says why" 1 "$(grep -cF "$message" "$work/refused.log")"
  check "refused, $what: no zip is left in dist/" "" "$(cd "$work/first/dist" && ls)"
  check "refused, $what: before anything is built" 0 "$(grep -c 'building' "$work/refused.log" || true)"
  check "refused, $what: no password in the output" 0 \
    "$(grep -cF -e "$password" -e "$(cat "$pki/wrong-password")" "$work/refused.log" || true)"
done <<'EOF'
a wrong password|BRANTLE_SIGN_PKCS12=maker.p12 BRANTLE_SIGN_PASSWORD_FILE=wrong-password|cannot open maker.p12 with the password in BRANTLE_SIGN_PASSWORD_FILE
no password file|BRANTLE_SIGN_PKCS12=maker.p12|BRANTLE_SIGN_PKCS12 needs BRANTLE_SIGN_PASSWORD_FILE
a certificate file that is not there|BRANTLE_SIGN_PKCS12=missing.p12 BRANTLE_SIGN_PASSWORD_FILE=password|BRANTLE_SIGN_PKCS12: missing.p12: no such file
a password file without a certificate|BRANTLE_SIGN_PASSWORD_FILE=password|BRANTLE_SIGN_PASSWORD_FILE is set, but neither
a time stamp without a certificate|BRANTLE_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/|BRANTLE_SIGN_TIMESTAMP_URL is set, but neither
a time stamp address that is no web address|BRANTLE_SIGN_PKCS12=maker.p12 BRANTLE_SIGN_PASSWORD_FILE=password BRANTLE_SIGN_TIMESTAMP_URL=file:///etc/passwd|not an http:// or https:// address
both a certificate and a command|BRANTLE_SIGN_PKCS12=maker.p12 BRANTLE_SIGN_PASSWORD_FILE=password BRANTLE_SIGN_COMMAND=true|are both set
EOF

# A signing command that fails, or that writes something other than the
# signed program, is refused for the program it was given.
export RELEASE_CHECK_PKI=$pki RELEASE_CHECK_OTHER=$work/unpacked/${programs[1]}
while IFS='|' read -r what command message; do
  status=0
  env -u BRANTLE_SIGN_PKCS12 -u BRANTLE_SIGN_PASSWORD_FILE -u BRANTLE_SIGN_TIMESTAMP_URL \
    BRANTLE_SIGN_COMMAND="$command" "$repo/scripts/authenticode.sh" "$work/unpacked/${programs[0]}" \
    "$work/command-out.exe" >"$work/command.log" 2>&1 || status=$?
  check "a signing command that $what: refused" 1 "$((status != 0))"
  check "a signing command that $what: it says so" 1 "$(grep -cF "$message" "$work/command.log")"
  check "a signing command that $what: no signed program" no "$([ -e "$work/command-out.exe" ] && echo yes || echo no)"
done <<'EOF'
fails|false|BRANTLE_SIGN_COMMAND failed
writes nothing|true|BRANTLE_SIGN_COMMAND wrote no signed program
copies the program unsigned|cp|carries no signature
signs another program|f() { osslsigncode sign -certs "$RELEASE_CHECK_PKI/chain.pem" -key "$RELEASE_CHECK_PKI/signer.key" -in "$RELEASE_CHECK_OTHER" -out "$2"; }; f|not the program with a signature added
EOF

# With a time stamp: from a time-stamp authority of this run, one for every
# program, each verifying against the run's root.
python3 "$repo/tests/timestamp_server.py" --cert "$pki/tsa.pem" --key "$pki/tsa.key" --chain "$pki/root.pem" \
  --state "$work/tsa" >"$work/tsa.log" 2>&1 &
tsa_pid=$!
for _ in $(seq 600); do [ -s "$work/tsa/port" ] && break; sleep 0.1; done
package_or_stop timestamped "$pki" "$other/a/second" BRANTLE_SIGN_PKCS12=maker.p12 BRANTLE_SIGN_PASSWORD_FILE=password \
  BRANTLE_SIGN_TIMESTAMP_URL="http://127.0.0.1:$(cat "$work/tsa/port" 2>/dev/null)/"
check "time-stamped: package.sh names the time-stamp authority" 1 \
  "$(grep -c 'SHA-256, a time stamp from http://127\.0\.0\.1:[0-9]*/$' "$work/timestamped.log")"
check "time-stamped: one time stamp for every program" "${#programs[@]}" \
  "$(grep -c '^ok$' "$work/tsa/requests.log" 2>/dev/null || true)"
unzip -q "$other/a/second/dist/$name" -d "$work/timestamped"
check "time-stamped: SHA256SUMS verifies every file" "$((${#programs[@]} + 1)) OK" \
  "$(cd "$work/timestamped" && sha256sum -c SHA256SUMS | grep -c ': OK$') OK"
for program in "${programs[@]}"; do
  status=0
  osslsigncode verify -CAfile "$pki/root.pem" -TSA-CAfile "$pki/root.pem" -in "$work/timestamped/$program" \
    >"$work/verify.log" 2>&1 || status=$?
  check "time-stamped $program verifies, its time stamp too" "0 1" \
    "$status $(grep -c 'Timestamp Server Signature verification: ok' "$work/verify.log")"
done
kill "$tsa_pid" 2>/dev/null || true
tsa_pid=

# Under Wine: the signed programs of every build this machine can run.
# shellcheck source=../scripts/wine-env.sh
. "$repo/scripts/wine-env.sh"
schedule=$'1\t652\tclick=11\n0\t501\n\t631\tclick=3\ttype=954.1\n'
for build in $WINDOWS_BUILDS; do
  if ! windows_build_runnable "$build"; then
    echo "not run under Wine: the signed $build programs ($(windows_build_why_not "$build"))"
    continue
  fi
  if ! wine_env_start "$repo/build/release-check-wine/$build" "$build"; then
    check "Wine starts for the $build build" 0 1
    continue
  fi
  trap 'wine_env_stop; cleanup' EXIT
  answers_of() {
    printf '%s' "$schedule" | timeout -k 10 300 "$WINE_ENV_LOADER" "$1" --batch 2>"$work/wine-stderr.log" |
      tr -d '\r'
  }
  unsigned_answers=$(answers_of "$work/unpacked/$build/brantle-rules.exe")
  signed_answers=$(answers_of "$work/signed/$build/brantle-rules.exe")
  check "signed $build/brantle-rules.exe answers the schedule under Wine" \
    "internal or external lighting|reflectorised|internal lighting" "$(cut -f5 <<<"$signed_answers" | paste -sd'|')"
  check "signed $build/brantle-rules.exe answers as the unsigned one" "$unsigned_answers" "$signed_answers"
  "$WINE_ENV_LOADER" "$work/signed/$build/brantle.exe" /S >/dev/null 2>&1 &
  wine_env_track_pid $!
  check "signed $build/brantle.exe shows its main dialog under Wine" 1 \
    "$(timeout 120 xdotool search --sync --onlyvisible --name '^Quorvane sign illumination tool$' 2>/dev/null |
      head -1 | grep -c '^[0-9]' || true)"
  wine_env_stop
  trap cleanup EXIT
done

check_summary
