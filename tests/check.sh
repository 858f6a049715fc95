# shellcheck shell=bash
# The one check of the shell tests; source it:
#
#   . tests/check.sh
#   check "what is checked" "expected" "actual"
#   check_summary    # prints the number of failed checks; fails if any did
#
# Each check prints "ok: <name>", or "FAILED: <name>" with both values.

failures=0

check() {  # check <name> <expected> <actual>
  if [ "$2" == "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1"
    echo "  expected: $2"
    echo "  actual:   $3"
    failures=$((failures + 1))
  fi
}

check_summary() {
  echo "$failures failed"
  [ "$failures" -eq 0 ]
}
