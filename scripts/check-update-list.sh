#!/usr/bin/env bash
# Checks an update list and its signature before they are uploaded, the way
# a brantle.exe built with the maker's public key checks them:
#
#   scripts/check-update-list.sh LIST SIG KEY
#
# LIST is updates.txt, SIG its signature (updates.txt.sig, as
# "openssl dgst -sha256 -sign maker-key.pem -out updates.txt.sig updates.txt"
# writes it) and KEY the public key that the program is built with
# (BRANTLE_UPDATE_PUBLIC_KEY). Checks that KEY is a key the build accepts,
# that SIG is a DER signature of at most 256 bytes that verifies over every
# byte of LIST, and that the program's download line (method 4), if any,
# carries its SHA-256. Exits 0 when the program would take the list, 1 when
# it would report "Could not verify the update list", 2 on wrong use.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

if [ $# -ne 3 ]; then
  echo "usage: $0 LIST SIG KEY" >&2
  exit 2
fi
list=$1 sig=$2 key=$3
for tool in cmake openssl python3; do
  command -v "$tool" >/dev/null || { echo "check-update-list: $tool is missing" >&2; exit 2; }
done
for file in "$list" "$sig" "$key"; do
  [ -f "$file" ] || { echo "check-update-list: $file: no such file" >&2; exit 2; }
done

fail() {
  echo "check-update-list: $*" >&2
  echo "check-update-list: the program would report \"Could not verify the update list\"" >&2
  exit 1
}

# The key, read exactly as the build reads it.
if ! error=$(cmake -DKEY="$key" -P "$repo/cmake/update_public_key.cmake" 2>&1 >/dev/null); then
  # CMake's message: the lines after "CMake Error at ..." up to the first empty one.
  printf '%s\n' "$error" | awk 'NR > 1 && (/^ *$/ || /^Call Stack/) { exit } NR > 1 { sub(/^ +/, ""); print }' >&2
  echo "check-update-list: $key is not a key that the program can be built with" >&2
  exit 2
fi

size=$(stat -c %s "$sig")
[ "$size" -gt 0 ] || fail "$sig is empty"
[ "$size" -le 256 ] || fail "$sig has $size bytes; a signature has at most 256"
# One DER SEQUENCE with nothing after it: "openssl dgst" reads no more of the
# file than the longest signature of the key (72 bytes), so it would not see
# bytes after a signature of that length; the program refuses them.
read -r tag length < <(od -An -tu1 -N2 "$sig")
if [ "${tag:-0}" -ne 48 ] || [ "${length:-0}" -ge 128 ] || [ "$size" -ne $((length + 2)) ]; then
  fail "$sig is not one DER signature with nothing after it"
fi
# Inside it OpenSSL takes only the strict DER form, as the program does.
openssl dgst -sha256 -verify "$key" -signature "$sig" "$list" >/dev/null 2>&1 ||
  fail "$sig is not a valid signature of $list by $key"

# The program's line: the first among the first 50 whose first field is
# "Brantle", before the first empty line. A download line (method 4) must
# carry the SHA-256 of the file as its sixth field.
python3 - "$list" <<'EOF' || exit 1
import re
import sys

with open(sys.argv[1], "rb") as f:
    text = f.read(1024 * 1024).decode("latin-1")


def fields(line):
    """Comma-separated fields: spaces before a field skipped, a quoted field
    runs to the next quote, any other field loses its trailing spaces."""
    result, at = [], 0
    while at <= len(line):
        while at < len(line) and line[at] == " ":
            at += 1
        if at < len(line) and line[at] == '"':
            end = line.find('"', at + 1)
            end = len(line) if end < 0 else end
            result.append(line[at + 1:end])
            comma = line.find(",", end)
        else:
            comma = line.find(",", at)
            result.append(line[at:len(line) if comma < 0 else comma].rstrip(" "))
        if comma < 0:
            break
        at = comma + 1
    return result


for line in text.split("\n")[:50]:
    line = line.strip(" ")
    if not line:
        break
    if line.endswith("\r"):  # a CR LF line end
        line = line[:-1]
    parts = fields(line) + [""] * 6
    if parts[0] != "Brantle":
        continue
    number = re.match(r"[ \t\r\n]*([+-]?(\d+\.?\d*|\.\d+))", parts[2])
    if number and round(float(number.group(1))) == 4 and not parts[5].strip(" "):
        print("check-update-list: the Brantle line downloads a file (method 4) but gives no SHA-256 "
              "as its sixth field", file=sys.stderr)
        print('check-update-list: the program would report "Could not verify the update list"', file=sys.stderr)
        sys.exit(1)
    break
EOF
echo "check-update-list: $list verifies with $key; the program will take it"
