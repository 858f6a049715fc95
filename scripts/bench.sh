#!/usr/bin/env bash
# One keystroke's work against the bare matching baseline (medians).
# Usage: scripts/bench.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target keystroke_bench >/dev/null
"$build/bench/keystroke_bench" --benchmark_format=json --benchmark_out="$build/keystroke.json" >/dev/null
python3 - "$build/keystroke.json" <<'PY'
import json, sys
medians = {b["run_name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
           if b.get("aggregate_name") == "median"}
bare, full = medians["BareMatch"], medians["FullKeystroke"]
print(f"bare matching (median): {bare:.1f} ns")
print(f"full keystroke (median): {full:.1f} ns")
print(f"ratio: {full / bare:.2f} (target: at most 3)")
PY
