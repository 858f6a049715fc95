#!/usr/bin/env bash
# One keystroke's work in the main dialog against the bare floor written in
# bench/bare_floor.cpp (normalise in one pass, first row whose packed prefix
# and bound accept the text), over texts that reach all rows: the medians of
# the time per keystroke and, where valgrind is installed, the instructions
# per keystroke that callgrind counts, with the ratio of the two; then
# brantle-rules --batch instructions per input line.
# Usage: scripts/bench.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target keystroke_bench brantle-rules >/dev/null
bench="$build/bench/keystroke_bench"
tool="$build/cli/brantle-rules"

"$bench" --benchmark_format=json --benchmark_out="$build/keystroke.json" >/dev/null
python3 - "$build/keystroke.json" <<'PY'
import json, sys
medians = {b["run_name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
           if b.get("aggregate_name") == "median"}
full, floor = medians["FullKeystroke"], medians["BareFloor"]
print(f"time per keystroke (median): full {full:.1f} ns, bare floor {floor:.1f} ns, ratio {full / floor:.2f}")
PY

if ! command -v valgrind >/dev/null; then
  echo "valgrind is not installed: no instruction counts"
  exit 0
fi

# Instructions that callgrind counts for a command, with its options first.
collected() {  # collected [callgrind options] -- <command...>
  local options=()
  while [ "$1" != "--" ]; do options+=("$1"); shift; done
  shift
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "${options[@]}" "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : //p'
}
passes=100
keystrokes=$("$bench" --count=floor 1 | cut -d' ' -f1)
keystrokes=$((keystrokes * passes))
# Only inside the counted loops.
full=$(collected --toggle-collect='*CountedFullKeystrokes*' -- "$bench" --count=full $passes)
floor=$(collected --toggle-collect='*CountedBareFloor*' -- "$bench" --count=floor $passes)
python3 - "$full" "$floor" "$keystrokes" <<'PY'
import sys
full, floor, keystrokes = (int(v) for v in sys.argv[1:])
print(f"instructions per keystroke (callgrind): full {full / keystrokes:.0f}, bare floor {floor / keystrokes:.0f}, "
      f"ratio {full / floor:.2f} (target: at most 2)")
PY

# A whole run of the tool over the lines once and three times: the
# difference is the lines' own work, without start-up.
for kind in plain typed; do
  "$bench" --batch-lines=$kind >"$build/batch-$kind.txt"
  cat "$build/batch-$kind.txt" "$build/batch-$kind.txt" "$build/batch-$kind.txt" >"$build/batch-$kind-3.txt"
  lines=$(wc -l <"$build/batch-$kind.txt")
  once=$(collected -- "$tool" --batch <"$build/batch-$kind.txt")
  thrice=$(collected -- "$tool" --batch <"$build/batch-$kind-3.txt")
  echo "brantle-rules --batch, $kind lines: $(((thrice - once) / (2 * lines))) instructions per line"
done
