#!/usr/bin/env bash
# The maker's side of signed update lists, with keys made by openssl here:
# which key files the build accepts (and the 64 bytes it takes from them),
# and what scripts/check-update-list.sh says of lists and signatures.
#
#   tests/update_key_test.sh [cmake [brantle-list-check]]
# Without the list checker, the script builds (or finds) its own.
# Not -e: the checks run commands that are meant to fail and read their exit
# codes.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cmake=${1:-cmake}
if [ -n "${2:-}" ]; then
  BRANTLE_LIST_CHECKER="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
  export BRANTLE_LIST_CHECKER
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/brantle-update-key.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# shellcheck source=check.sh
. "$repo/tests/check.sh"

quiet() { "$@" >/dev/null 2>&1; }
quiet openssl ecparam -name prime256v1 -genkey -noout -out maker-key.pem
quiet openssl ec -in maker-key.pem -pubout -out update-key.pem
quiet openssl ecparam -name prime256v1 -genkey -noout -out other-key.pem
if [ ! -s update-key.pem ] || [ ! -s other-key.pem ]; then
  echo "FAILED: openssl made no keys"
  exit 1
fi

# ---- the key as the build reads it
# The coordinates as openssl itself gives them: the last 64 bytes of the DER.
expected=$(openssl pkey -pubin -in update-key.pem -outform DER | tail -c 64 | od -An -tx1 | tr -d ' \n')
quiet openssl pkey -in maker-key.pem -out maker-key-pkcs8.pem
quiet openssl ec -in maker-key.pem -pubout -conv_form compressed -out compressed.pem
openssl ecparam -name secp384r1 -genkey -noout 2>/dev/null | openssl ec -pubout -out p384.pem 2>/dev/null
openssl genpkey -algorithm ed25519 2>/dev/null | openssl pkey -pubout -out ed25519.pem 2>/dev/null
sed 's/$/\r/' update-key.pem >crlf.pem
{ echo "The maker's key for Brantle's update lists"; cat update-key.pem; } >with-text.pem
cat update-key.pem update-key.pem >two-blocks.pem
cat update-key.pem maker-key.pem >with-private.pem
: >empty.pem
echo "not a key" >text.pem
grep -v -- '-----' update-key.pem >no-armour.pem
awk 'NR == 2 { print substr($0, 4); next } { print }' update-key.pem >cut.pem
awk 'NR == 2 { print substr($0, 5); next } { print }' update-key.pem >short.pem
{ cat update-key.pem; head -c 20000 /dev/zero | tr '\0' '#'; } >large.pem
# Keys of the right form whose point is not on the curve: the P-256 header
# followed by 64 bytes of 0x01, and the real key with one base64 character
# of its coordinates changed (the 45th of the first line: in x).
{
  echo "-----BEGIN PUBLIC KEY-----"
  {
    printf '%b' "$(echo 3059301306072a8648ce3d020106082a8648ce3d03010703420004 | sed 's/../\\x&/g')"
    head -c 64 /dev/zero | tr '\0' '\1'
  } | base64 -w 64
  echo "-----END PUBLIC KEY-----"
} >off-curve.pem
awk 'NR == 2 { c = substr($0, 45, 1); $0 = substr($0, 1, 44) (c == "A" ? "B" : "A") substr($0, 46) } { print }' \
  update-key.pem >one-character.pem

# file | accepted | part of the refusal message
while IFS='|' read -r file accepted message; do
  output=$("$cmake" -DKEY="$work/$file" -P "$repo/cmake/update_public_key.cmake" 2>&1)
  status=$?
  if [ "$accepted" = yes ]; then
    check "key $file: accepted, its 64 bytes" "status 0: $expected" "status $status: $output"
  elif [ $status -ne 0 ] && [[ "$(echo "$output" | tr -s ' \n' '  ')" == *"$message"* ]]; then
    check "key $file: refused: $message" refused refused
  else
    check "key $file: refused: $message" "refused with a message holding: $message" "status $status: $output"
  fi
done <<'EOF'
update-key.pem|yes|
crlf.pem|yes|
with-text.pem|yes|
maker-key.pem|no|holds a private key
maker-key-pkcs8.pem|no|holds a private key
with-private.pem|no|holds a private key
compressed.pem|no|its point compressed
p384.pem|no|another curve than P-256
ed25519.pem|no|not an elliptic-curve key
two-blocks.pem|no|not one PEM block
empty.pem|no|not one PEM block
text.pem|no|not one PEM block
no-armour.pem|no|not one PEM block
cut.pem|no|not base64
short.pem|no|not a P-256 public key in the expected form
large.pem|no|far too large
missing.pem|no|no such file
off-curve.pem|no|not a point of the P-256 curve
one-character.pem|no|not a point of the P-256 curve
EOF

# OpenSSL is the judge of the point: without it no key is taken.
output=$("$cmake" -DKEY="$work/update-key.pem" -DBRANTLE_OPENSSL="$work/no-openssl" \
  -P "$repo/cmake/update_public_key.cmake" 2>&1)
status=$?
if [ $status -ne 0 ] && [[ "$(echo "$output" | tr -s ' \n' '  ')" == *"openssl is needed"* ]]; then
  check "key update-key.pem without openssl: refused" refused refused
else
  check "key update-key.pem without openssl: refused" "refused: openssl is needed" "status $status: $output"
fi

# ---- lists and signatures as scripts/check-update-list.sh judges them
hash=$(printf 'MZ!!' | sha256sum | cut -d' ' -f1)
printf 'Brantle,1.11,1,brantle.html\n' >browser.txt
printf 'Pelgrath,2.0,4,p.exe,9\r\nBrantle,1.11,4,setup.exe,4,%s\r\n' "$hash" >download.txt
printf 'Brantle,1.11,4,setup.exe,4\n' >no-hash.txt
printf 'Brantle,1.11, "4" ,setup.exe,4,  \n' >blank-hash.txt
printf 'Brantle,1.11,1,brantle.html\n\nBrantle,1.11,4,setup.exe,4\n' >after-empty-line.txt
printf 'Brantle,1.11,1,brantle.html\r\n' >changed.txt
printf 'Brantle,9.9,4294967300,brantle-9.9-setup.exe,5000\n' >method-low-bits.txt
printf 'Brantle,1.11,&H4,setup.exe,4,%s\n' "$hash" >method-hex.txt
printf 'Brantle,1.11,2,http://www.kestrix.example/a b\n' >blank-in-address.txt
printf 'Pelgrath,2.0,1,p.html\n' >other-program.txt
: >empty-list.txt
for list in browser download no-hash blank-hash after-empty-line method-low-bits method-hex blank-in-address \
  other-program empty-list; do
  openssl dgst -sha256 -sign maker-key.pem -out "$list.sig" "$list.txt"
done
cp browser.sig changed.sig
openssl dgst -sha256 -sign other-key.pem -out other.sig browser.txt
: >empty.sig
{ cat browser.sig; head -c 300 /dev/zero; } >long.sig
# A byte after a signature of 72 bytes, the longest: "openssl dgst" reads
# no further than that.
for _ in $(seq 1 200); do
  openssl dgst -sha256 -sign maker-key.pem -out longest.sig browser.txt
  [ "$(stat -c %s longest.sig)" -eq 72 ] && break
done
{ cat longest.sig; printf '\0'; } >trailing.sig

# list | signature | key | expected exit status | what | part of the output, if any
while IFS='|' read -r list sig key status what said; do
  "$repo/scripts/check-update-list.sh" "$list" "$sig" "$key" >out.log 2>&1
  got=$?
  output=$(tr '\n' ' ' <out.log)
  actual="exit $got"
  if [ "$got" -ne "$status" ] || [[ "$output" != *"$said"* ]]; then actual+=": $output"; fi
  check "check-update-list: $what" "exit $status" "$actual"
done <<'EOF'
browser.txt|browser.sig|update-key.pem|0|a signed list|opens http://updates.kestrix.example/brantle.html
download.txt|download.sig|update-key.pem|0|a signed download line with its SHA-256, CR LF line ends|downloads http://updates.kestrix.example/uploaded/protected/setup.exe
after-empty-line.txt|after-empty-line.sig|update-key.pem|0|a download line after the empty line that ends the list
changed.txt|changed.sig|update-key.pem|1|one byte of the list changed
browser.txt|other.sig|update-key.pem|1|a signature by another key
browser.txt|empty.sig|update-key.pem|1|an empty signature file
browser.txt|long.sig|update-key.pem|1|a signature file of more than 256 bytes
browser.txt|longest.sig|update-key.pem|0|a signature of 72 bytes
browser.txt|trailing.sig|update-key.pem|1|a byte after a signature of 72 bytes
no-hash.txt|no-hash.sig|update-key.pem|1|a signed download line without a SHA-256|needs the file's SHA-256
blank-hash.txt|blank-hash.sig|update-key.pem|1|a signed download line with a blank SHA-256 field|(-8)
method-low-bits.txt|method-low-bits.sig|update-key.pem|1|a method of 4294967300 read as its low 32 bits, 4|method 4, address
method-hex.txt|method-hex.sig|update-key.pem|1|a method written &H4, read as 0|does not support that update method
blank-in-address.txt|blank-in-address.sig|update-key.pem|1|a blank in the address|Unexpected error (-9)
other-program.txt|other-program.sig|update-key.pem|0|no line for the program|offers nothing
empty-list.txt|empty-list.sig|update-key.pem|1|an empty list|empty-list.txt is empty
browser.txt|browser.sig|off-curve.pem|2|a key off the curve|not a point of the P-256 curve
browser.txt|browser.sig|maker-key.pem|2|the private key given as the key
browser.txt|browser.sig|p384.pem|2|a key of another curve
EOF

check_summary
