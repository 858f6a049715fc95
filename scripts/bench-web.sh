#!/usr/bin/env bash
# The page's budgets in headless Chromium: size, first verdict, keystroke
# and a 100,000-row schedule. Run after scripts/test.sh has built the page
# (build/web/page/) and installed playwright-core; prints figures only.
#
#   scripts/bench-web.sh [page folder]
set -euo pipefail
cd "$(dirname "$0")/.."
page=${1:-build/web/page}
[ -f "$page/index.html" ] || { echo "bench-web: $page/index.html is missing; build the page first" >&2; exit 2; }
exec node tests/web/page_bench.js "$page"
