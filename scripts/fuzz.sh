#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${2:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -DBRANTLE_FUZZ=ON -DBRANTLE_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
mapfile -t targets < <(sed -n 's/^brantle_fuzzer(\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt)
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  # Seeds: the shipped table, and a few numbers and lines of the kinds the target reads.
  cp resources/rule_table.txt "$corpus/seed-table"
  printf '&H4D2' >"$corpus/seed-hex"
  printf ' -12.5D+3x' >"$corpus/seed-decimal"
  printf '\001Brantle, "1.10,2", 4 ,file.exe, 1234' >"$corpus/seed-fields"
  printf '\003\357\273\277diagram,options\r\n"a, ""b""\n",652,&H1\r\n\n,,\r"open' >"$corpus/seed-csv"
  # A DER signature with a leading zero in r, and one with a short s.
  printf '\x30\x45\x02\x21\x00\x80%s\x02\x20\x7f%s' "$(printf '\x11%.0s' {1..31})" "$(printf '\x22%.0s' {1..31})" >"$corpus/seed-der"
  printf '\x30\x06\x02\x01\x01\x02\x01\x7f' >"$corpus/seed-der-short"
  log="$build/$target.log"
  if "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: $runs runs in ${seconds}s, no findings"
  else
    echo "$target: FAILED, see $log"
    tail -n 30 "$log"
    status=1
  fi
done
exit $status
