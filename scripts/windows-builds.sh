# The two Windows builds and what this machine can run; source it:
#
#   . scripts/windows-builds.sh
#   windows_build_toolchain x86        # cmake/mingw-w64-i686.cmake
#   windows_build_runnable x64 && ...  # can this machine run that build?
#   windows_builds_runnable            # "x86 x64", or "x64" alone
#   windows_build_why_not x86          # one line on why it cannot run
#
# x86 is the 32-bit program (for 32-bit callers and every Windows), x64 the
# 64-bit one (for 64-bit callers). Everything that differs between them is
# here, in one place: the toolchain file, the Wine prefix architecture, the
# Wine loader, the binutils prefix and the PE machine name.
#
# Some x86_64 kernels run 64-bit programs only (no IA-32 emulation), and the
# architecture's name does not tell them apart, so the only sound test is to
# run a 32-bit program. BRANTLE_NO_32BIT=1 makes a machine that can run them
# behave as one that cannot, to try that path.

WINDOWS_BUILDS="x86 x64"

windows_build_toolchain() {
  case $1 in
    x86) echo cmake/mingw-w64-i686.cmake ;;
    x64) echo cmake/mingw-w64-x86_64.cmake ;;
  esac
}

windows_build_wine_arch() {
  case $1 in
    x86) echo win32 ;;
    x64) echo win64 ;;
  esac
}

# Debian's /usr/bin/wine picks the 32-bit loader whenever wine32 is
# installed, so each build names its own loader.
windows_build_wine_loader() {
  case $1 in
    x86) echo /usr/lib/wine/wine ;;
    x64) echo /usr/lib/wine/wine64 ;;
  esac
}

windows_build_binutils_prefix() {
  case $1 in
    x86) echo i686-w64-mingw32 ;;
    x64) echo x86_64-w64-mingw32 ;;
  esac
}

windows_build_words() {
  case $1 in
    x86) echo 32-bit ;;
    x64) echo 64-bit ;;
  esac
}

# Runs a 32-bit Linux program of 95 bytes that only exits with status 42:
# an ELF header, one loadable segment and `mov eax,1; xor ebx,ebx;
# mov bl,42; int 0x80`. A kernel without IA-32 emulation refuses to start it.
machine_runs_32bit() {
  [ "${BRANTLE_NO_32BIT:-0}" = 1 ] && return 1
  if [ -z "${MACHINE_RUNS_32BIT:-}" ]; then
    local probe status
    probe=$(mktemp "${TMPDIR:-/tmp}/brantle-ia32-probe.XXXXXX") || return 1
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0' >"$probe"
    printf '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\137\0\0\0\137\0\0\0\5\0\0\0\0\20\0\0' >>"$probe"
    printf '\270\1\0\0\0\61\333\263\52\315\200' >>"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    if [ "$status" -eq 42 ]; then MACHINE_RUNS_32BIT=yes; else MACHINE_RUNS_32BIT=no; fi
  fi
  [ "$MACHINE_RUNS_32BIT" = yes ]
}

windows_build_runnable() {
  case $1 in
    x86) machine_runs_32bit ;;
    x64) [ "$(uname -m)" = x86_64 ] ;;
    *) return 1 ;;
  esac
}

windows_builds_runnable() {
  local build runnable=()
  for build in $WINDOWS_BUILDS; do
    windows_build_runnable "$build" && runnable+=("$build")
  done
  echo "${runnable[*]}"
}

windows_build_why_not() {
  case $1 in
    x86)
      if [ "${BRANTLE_NO_32BIT:-0}" = 1 ]; then
        echo "BRANTLE_NO_32BIT=1 is set, so 32-bit programs are treated as unable to run"
      else
        echo "this machine's kernel cannot run 32-bit programs (no IA-32 emulation), so 32-bit Wine cannot start"
      fi ;;
    x64) echo "this machine is $(uname -m), not x86_64" ;;
  esac
}

# Which build a Windows executable belongs to, read from its PE header.
windows_build_of() {
  case $(x86_64-w64-mingw32-objdump -f "$1" 2>/dev/null) in
    *"file format pei-i386"*) echo x86 ;;
    *"file format pei-x86-64"*) echo x64 ;;
    *) return 1 ;;
  esac
}
