#!/usr/bin/env bash
# Signs Windows programs with the maker's Authenticode signature, so that
# Windows names the maker as their publisher instead of warning of an unknown
# one. Relative paths in the settings start from the folder it runs in.
#
#   scripts/authenticode.sh --plan   # checks the settings and says how the
#                                    # programs will be signed; exit status 0:
#                                    # signed, 3: unsigned (no settings),
#                                    # 1: settings that cannot sign
#   scripts/authenticode.sh IN OUT   # writes OUT: the program IN, signed
#
# The settings, from the environment:
#   BRANTLE_SIGN_PKCS12         a PKCS#12 file with the maker's code-signing
#                               certificate, its chain and its private key;
#   BRANTLE_SIGN_PASSWORD_FILE  the file whose first line is its password
#                               (the password itself is never given on a
#                               command line or in the environment)
#   BRANTLE_SIGN_COMMAND        or, instead of both: a command that signs,
#                               run as COMMAND IN OUT (a program's path, or
#                               a command line for bash), for a key that
#                               never leaves a hardware token. It finds what
#                               the signature must say in BRANTLE_SIGN_NAME,
#                               BRANTLE_SIGN_URL and SOURCE_DATE_EPOCH.
#   BRANTLE_SIGN_TIMESTAMP_URL  optional: an RFC 3161 time-stamp authority;
#                               its time stamp is added to every signature.
#
# The signature is made over SHA-256 and names the program ("Brantle") and
# the maker's web address. Its signing time is SOURCE_DATE_EPOCH, which
# package.sh sets to the release's time (the present time when it is unset):
# without a time stamp the same program, the same certificate and the same
# RSA key give the same signed file byte for byte.
# Every signed program is checked to be exactly its input with a signature
# appended. Needs osslsigncode (scripts/setup.sh installs it).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

fail() {
  printf 'authenticode: %s\n' "$*" >&2
  exit 1
}

# The maker's web address, as the About dialog shows it, made a full address.
maker_host=$(sed -n 's/^constexpr const char\* MAKER_WEB_ADDRESS = "\([^"]*\)";$/\1/p' "$repo/ui/about_texts.h")
[ -n "$maker_host" ] || fail "the maker's web address is missing from ui/about_texts.h"
export BRANTLE_SIGN_NAME=Brantle BRANTLE_SIGN_URL=https://$maker_host/
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(date +%s)}
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || fail "SOURCE_DATE_EPOCH is not a time in seconds: $SOURCE_DATE_EPOCH"

pkcs12=${BRANTLE_SIGN_PKCS12:-}
password_file=${BRANTLE_SIGN_PASSWORD_FILE:-}
command=${BRANTLE_SIGN_COMMAND:-}
timestamp_url=${BRANTLE_SIGN_TIMESTAMP_URL:-}

# Settings that cannot sign are refused rather than left unsigned: a maker
# who asked for a signature must not get a release without one.
check_settings() {
  if [ -n "$pkcs12" ] && [ -n "$command" ]; then
    fail "BRANTLE_SIGN_PKCS12 and BRANTLE_SIGN_COMMAND are both set; give one of them"
  fi
  if [ -z "$pkcs12" ] && [ -z "$command" ]; then
    local stray
    for stray in BRANTLE_SIGN_PASSWORD_FILE BRANTLE_SIGN_TIMESTAMP_URL; do
      [ -z "${!stray:-}" ] || fail "$stray is set, but neither BRANTLE_SIGN_PKCS12 nor BRANTLE_SIGN_COMMAND"
    done
    return 3
  fi
  command -v osslsigncode >/dev/null || fail "osslsigncode is missing; run scripts/setup.sh first"
  if [ -n "$timestamp_url" ] && [[ ! $timestamp_url =~ ^https?://[^[:space:]]+$ ]]; then
    fail "BRANTLE_SIGN_TIMESTAMP_URL is not an http:// or https:// address: $timestamp_url"
  fi
  if [ -n "$pkcs12" ]; then
    [ -f "$pkcs12" ] || fail "BRANTLE_SIGN_PKCS12: $pkcs12: no such file"
    [ -n "$password_file" ] ||
      fail "BRANTLE_SIGN_PKCS12 needs BRANTLE_SIGN_PASSWORD_FILE, the file that holds its password"
    if [ ! -f "$password_file" ] || [ ! -r "$password_file" ]; then
      fail "BRANTLE_SIGN_PASSWORD_FILE: $password_file: no such readable file"
    fi
  elif [ -n "$password_file" ]; then
    fail "BRANTLE_SIGN_PASSWORD_FILE is for BRANTLE_SIGN_PKCS12; BRANTLE_SIGN_COMMAND reads no password file"
  fi
}

# The subject of the PKCS#12 file's own certificate; opening it also proves
# the password, long before the programs are built. OpenSSL 3 needs its
# legacy provider for files made with older tools (RC2 or 3DES).
pkcs12_subject() {
  local pem
  pem=$(openssl pkcs12 -in "$pkcs12" -passin "file:$password_file" -nokeys -clcerts 2>/dev/null) ||
    pem=$(openssl pkcs12 -legacy -in "$pkcs12" -passin "file:$password_file" -nokeys -clcerts 2>/dev/null) ||
    return 1
  openssl x509 -noout -subject -nameopt oneline <<<"$pem" 2>/dev/null | sed 's/^subject= *//'
}

plan() {
  local status=0
  check_settings || status=$?
  if [ "$status" -eq 3 ]; then
    echo "the programs are unsigned: no BRANTLE_SIGN_PKCS12 or BRANTLE_SIGN_COMMAND is set"
    return 3
  fi
  local stamp="no time stamp (the same inputs give the same signed bytes)"
  [ -z "$timestamp_url" ] || stamp="a time stamp from $timestamp_url"
  if [ -n "$pkcs12" ]; then
    local subject
    subject=$(pkcs12_subject) ||
      fail "cannot open $pkcs12 with the password in BRANTLE_SIGN_PASSWORD_FILE (wrong password, or not a PKCS#12 file)"
    echo "the programs are signed as \"$subject\" with the key in $pkcs12: SHA-256, $stamp"
  else
    echo "the programs are signed by BRANTLE_SIGN_COMMAND, with $stamp"
  fi
}

# Runs osslsigncode with its output kept, and shown only when it fails.
run_osslsigncode() {
  if ! osslsigncode "$@" >"$scratch/osslsigncode.log" 2>&1; then
    sed 's/^/  /' "$scratch/osslsigncode.log" >&2
    return 1
  fi
}

sign() {
  local in=$1 out=$2 status=0
  check_settings || status=$?
  [ "$status" -eq 0 ] || fail "no BRANTLE_SIGN_PKCS12 or BRANTLE_SIGN_COMMAND: nothing to sign with"
  [ -f "$in" ] || fail "$in: no such file"
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/brantle-sign.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
  local signed=$scratch/signed.exe
  if [ -n "$pkcs12" ]; then
    run_osslsigncode sign -pkcs12 "$pkcs12" -readpass "$password_file" -h sha256 \
      -n "$BRANTLE_SIGN_NAME" -i "$BRANTLE_SIGN_URL" -time "$SOURCE_DATE_EPOCH" -in "$in" -out "$signed" ||
      fail "signing $in with $pkcs12 failed"
  else
    # A program's path is run as it is (it may hold spaces); anything else
    # is a command line for bash, with IN and OUT added.
    if [ -f "$command" ] && [ -x "$command" ]; then
      "$command" "$in" "$signed" || fail "BRANTLE_SIGN_COMMAND failed for $in"
    else
      bash -c "$command"' "$@"' brantle-sign "$in" "$signed" || fail "BRANTLE_SIGN_COMMAND failed for $in"
    fi
    [ -s "$signed" ] || fail "BRANTLE_SIGN_COMMAND wrote no signed program for $in"
  fi
  if [ -n "$timestamp_url" ]; then
    run_osslsigncode add -h sha256 -ts "$timestamp_url" -in "$signed" -out "$scratch/stamped.exe" ||
      fail "no time stamp from $timestamp_url for $in"
    mv "$scratch/stamped.exe" "$signed"
  fi
  # The signed program must be the program itself and a signature: with the
  # signature taken off again, every byte (the PE checksum too) is the input's.
  run_osslsigncode remove-signature -in "$signed" -out "$scratch/unsigned.exe" ||
    fail "the signed $in carries no signature"
  cmp -s "$scratch/unsigned.exe" "$in" || fail "the signed $in is not the program with a signature added"
  mv "$signed" "$out"
  echo "authenticode: signed ${in#"${in%/*/*}/"}${timestamp_url:+ and time-stamped}"
}

case $# in
  1) [ "$1" = --plan ] || fail "usage: authenticode.sh --plan | authenticode.sh IN OUT"; plan ;;
  2) sign "$1" "$2" ;;
  *) fail "usage: authenticode.sh --plan | authenticode.sh IN OUT" ;;
esac
