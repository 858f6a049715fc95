#!/usr/bin/env bash
# The brantle-rules tool's interfaces: batch lines with their events, the
# human-readable lookup, and its refusals.
set -u
tool=$1
failures=0
check() {  # check <name> <expected> <actual>
  if [ "$2" == "$3" ]; then echo "ok: $1"; else
    echo "FAILED: $1"; echo "  expected: $2"; echo "  actual:   $3"; failures=$((failures + 1)); fi
}
tab=$'\t'
heading="The minimum illumination to comply with TSRGD 2016 is:"
judgement="but use your engineering judgement to determine whether additional illumination is needed."

out=$(printf '1\t652\tclick=11\n\t631\tclick=3\ttype=954.1\n501\n&H3\t642-2\tnone=1\tnone=0\n' | "$tool" --batch)
check "extra box ticked" \
  "27${tab}2049${tab}2${tab}${heading}${tab}internal or external lighting${tab}${tab}Within 50m of junction from which traffic joins${tab}2579${tab}2049${tab}363532000000000001080000696e7465726e616c206f722065787465726e616c206c69676874696e670000000000000000000000" \
  "$(sed -n 1p <<<"$out")"
check "bollard falls back to disabled normal posts" \
  "64${tab}2${tab}3${tab}${heading}${tab}internal lighting${tab}${tab}${tab}545${tab}2${tab}3935342e3100000002000000696e7465726e616c206c69676874696e670000000000000000000000000000000000000000000000" \
  "$(sed -n 2p <<<"$out")"
check "a line without a tab is text alone" \
  "1${tab}0${tab}1${tab}${heading}${tab}reflectorised${tab}${judgement}${tab}${tab}531${tab}2${tab}3530310000000000000000007265666c6563746f7269736564000000000000000000000000000000000000000000000000000000" \
  "$(sed -n 3p <<<"$out")"
check "none ticked and unticked matches the text again" "15${tab}3${tab}0" "$(sed -n 4p <<<"$out" | cut -f1-3)"
check "one output line per input line" 4 "$(wc -l <<<"$out")"

out=$(printf '0\t\tnone=1\n0\t501\tclick=3\tclick=2\n' | "$tool" --batch | cut -f1,2,4,8,9)
check "none with an empty box" "109${tab}0${tab}The illumination requirement for signs with no diagram number is:${tab}2067${tab}2" \
  "$(sed -n 1p <<<"$out")"
check "clicks on disabled controls do nothing" "1${tab}0${tab}${heading}${tab}531${tab}2" "$(sed -n 2p <<<"$out")"

printf '0\t501\tclick=7\n' | "$tool" --batch >/dev/null 2>&1
check "an option without a control is refused" 2 $?
printf '0\t501\tpress=1\n' | "$tool" --batch >/dev/null 2>&1
check "an unknown event is refused" 2 $?

out=$("$tool" --lamp-column --20mph 501 10000)
check "lookup wording" "501: row 1, pattern \"501\"
    ${heading}
    reflectorised
    ${judgement}
10000: no rule" "$out"
check "options by number" "    internal lighting" "$("$tool" --options '&H8' 631 | sed -n 3p)"
"$tool" --help >/dev/null; check "help" 0 $?
"$tool" --lamp 501 >/dev/null 2>&1; check "unknown flag" 2 $?
"$tool" >/dev/null 2>&1; check "no diagram number" 2 $?

echo "$failures failed"
[ "$failures" -eq 0 ]
