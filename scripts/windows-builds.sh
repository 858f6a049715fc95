# shellcheck shell=bash
# The Windows builds and what this machine can run; source it:
#
#   . scripts/windows-builds.sh
#   for build in $WINDOWS_BUILDS; do ...       # every build, in order of preference
#   windows_build_toolchain x86                # cmake/mingw-w64-i686.cmake
#   windows_build_runnable x64 && ...          # can this machine run that build?
#   windows_builds_runnable                    # "x86 x64", or "x64" alone
#   windows_build_why_not x86                  # one line on why it cannot run
#   windows_build_of brantle.exe               # which build a program belongs to
#   windows_build_pe_check x86 brantle.exe resources   # its file checks
#
# This is the one place that names the builds and says what differs between
# them; everything that builds, packages, stages, checks or drives them loops
# over WINDOWS_BUILDS and asks the functions below. A new build is one more
# line in the table (and its toolchain file, cmake/mingw-w64-<arch>.cmake).
#
# x86 is the 32-bit program (for 32-bit callers and every Windows), x64 the
# 64-bit one (for 64-bit callers). Some x86_64 kernels run 64-bit programs
# only (no IA-32 emulation), and the architecture's name does not tell them
# apart, so the only sound test is to run a 32-bit program.
# BRANTLE_NO_32BIT=1 makes a machine that can run them behave as one that
# cannot, to try that path.

# Columns: the build's name (also its folder in the release), its word size
# in words, the MinGW-w64 target triple, the Wine prefix architecture and
# loader (Debian's /usr/bin/wine picks the 32-bit loader whenever wine32 is
# installed, so each build names its own), the Debian package of that
# loader, what the machine must run (ia32: 32-bit programs; otherwise the
# `uname -m` it must have), the PE file format as objdump names it, the PE
# machine and manifest architecture, how many bytes of arguments the
# exported BRANTLE removes from the stack (8: __stdcall; 0: the x64 calling
# convention), and the image base of brantle.exe. The CMake build takes its
# own columns from here too (cmake/windows_build.cmake).
WINDOWS_BUILD_TABLE='
x86 32-bit i686-w64-mingw32   win32 /usr/lib/wine/wine   wine32:i386 ia32   pei-i386   IMAGE_FILE_MACHINE_I386  x86   8 0x4D000000
x64 64-bit x86_64-w64-mingw32 win64 /usr/lib/wine/wine64 wine64      x86_64 pei-x86-64 IMAGE_FILE_MACHINE_AMD64 amd64 0 0x3F0000000
'
WINDOWS_BUILDS=$(awk 'NF { printf "%s%s", sep, $1; sep = " " }' <<<"$WINDOWS_BUILD_TABLE")

# The column `n` of the build's line; nothing for an unknown build.
windows_build_column() {
  awk -v build="$1" -v n="$2" '$1 == build { print $n }' <<<"$WINDOWS_BUILD_TABLE"
}

windows_build_words() { windows_build_column "$1" 2; }
windows_build_triple() { windows_build_column "$1" 3; }
windows_build_wine_arch() { windows_build_column "$1" 4; }
windows_build_wine_loader() { windows_build_column "$1" 5; }
windows_build_wine_package() { windows_build_column "$1" 6; }

windows_build_toolchain() {
  local triple
  triple=$(windows_build_triple "$1")
  [ -n "$triple" ] && echo "cmake/mingw-w64-${triple%%-*}.cmake"
}

# Debian's MinGW-w64 compiler and binutils for the build.
windows_build_packages() {
  local arch
  arch=$(windows_build_triple "$1")
  arch=${arch%%-*}
  echo "g++-mingw-w64-${arch//_/-} binutils-mingw-w64-${arch//_/-}"
}

# Runs a 32-bit Linux program of 95 bytes that only exits with status 42:
# an ELF header, one loadable segment and `mov eax,1; xor ebx,ebx;
# mov bl,42; int 0x80`. A kernel without IA-32 emulation refuses to start it.
machine_runs_32bit() {
  [ "${BRANTLE_NO_32BIT:-0}" = 1 ] && return 1
  if [ -z "${MACHINE_RUNS_32BIT:-}" ]; then
    local probe status=0
    probe=$(mktemp "${TMPDIR:-/tmp}/brantle-ia32-probe.XXXXXX") || return 1
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0' >"$probe"
    printf '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\137\0\0\0\137\0\0\0\5\0\0\0\0\20\0\0' >>"$probe"
    printf '\270\1\0\0\0\61\333\263\52\315\200' >>"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    if [ "$status" -eq 42 ]; then MACHINE_RUNS_32BIT=yes; else MACHINE_RUNS_32BIT=no; fi
  fi
  [ "$MACHINE_RUNS_32BIT" = yes ]
}

windows_build_runnable() {
  local needs
  needs=$(windows_build_column "$1" 7)
  case $needs in
    "") return 1 ;;
    ia32) machine_runs_32bit ;;
    *) [ "$(uname -m)" = "$needs" ] ;;
  esac
}

# The builds this machine can run, in order of preference.
windows_builds_runnable() {
  local build runnable=()
  for build in $WINDOWS_BUILDS; do
    if windows_build_runnable "$build"; then runnable+=("$build"); fi
  done
  echo "${runnable[*]}"
}

windows_build_why_not() {
  local needs
  needs=$(windows_build_column "$1" 7)
  case $needs in
    "") echo "there is no build named '$1'" ;;
    ia32)
      if [ "${BRANTLE_NO_32BIT:-0}" = 1 ]; then
        echo "BRANTLE_NO_32BIT=1 is set, so 32-bit programs are treated as unable to run"
      else
        echo "this machine's kernel cannot run 32-bit programs (no IA-32 emulation), so 32-bit Wine cannot start"
      fi ;;
    *) echo "this machine is $(uname -m), not $needs" ;;
  esac
}

# Which build a Windows executable belongs to, read from its PE header.
windows_build_of() {
  local format
  format=$(x86_64-w64-mingw32-objdump -f "$1" 2>/dev/null | sed -n 's/.*file format \([^ ]*\).*/\1/p')
  [ -n "$format" ] || return 1
  local found
  found=$(awk -v format="$format" '$8 == format { print $1 }' <<<"$WINDOWS_BUILD_TABLE")
  [ -n "$found" ] && echo "$found"
}

# The file checks of a built brantle.exe for the build: headers, export,
# code and resources, and with a public key (PEM) that it carries the key.
# Debian's own Python, which has python3-pefile whatever python3 the PATH
# finds first.
windows_build_pe_check() {
  local build=$1 exe=$2 resources=$3 key=${4:-}
  local options=(--machine "$(windows_build_column "$build" 9)" --manifest-arch "$(windows_build_column "$build" 10)"
    --export-pops "$(windows_build_column "$build" 11)")
  if [ -n "$key" ]; then options+=(--update-key "$key"); fi
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/../tests/pe_check.py" "${options[@]}" "$exe" "$resources"
}
