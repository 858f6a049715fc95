#!/usr/bin/env bash
# The brantle-rules tool's interfaces: batch lines with their events and
# line ends, the human-readable lookup, its refusals and its exit codes.
# Not -e: the checks run commands that are meant to fail and read their exit
# codes.
set -uo pipefail
tool=("$@")  # the tool, or a loader and the tool
# shellcheck source=check.sh
. "$(dirname "$0")/check.sh"
tab=$'\t'
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
heading="The minimum illumination to comply with TSRGD 2016 is:"
judgement="but use your engineering judgement to determine whether additional illumination is needed."

out=$(printf '1\t652\tclick=11\n\t631\tclick=3\ttype=954.1\n501\n&H3\t642-2\tnone=1\tnone=0\n' | "${tool[@]}" --batch)
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

out=$(printf '0\t\tnone=1\n0\t501\tclick=3\tclick=2\n' | "${tool[@]}" --batch | cut -f1,2,4,8,9)
check "none with an empty box" "109${tab}0${tab}The illumination requirement for signs with no diagram number is:${tab}2067${tab}2" \
  "$(sed -n 1p <<<"$out")"
check "clicks on disabled controls do nothing" "1${tab}0${tab}${heading}${tab}531${tab}2" "$(sed -n 2p <<<"$out")"

printf '0\t501\tclick=7\n' | "${tool[@]}" --batch >/dev/null 2>&1
check "an option without a control is refused" 2 $?
printf '0\t501\tpress=1\n' | "${tool[@]}" --batch >/dev/null 2>&1
check "an unknown event is refused" 2 $?
out=$({ printf '501\n'; head -c 1048577 /dev/zero | tr '\0' 5; } | "${tool[@]}" --batch 2>/dev/null; echo "exit $?")
check "a line over 1 MiB is refused after the lines before it" "1 exit 2" "$(cut -f1 <<<"$out" | xargs)"

out=$("${tool[@]}" --lamp-column --20mph 501 10000)
check "lookup wording" "501: row 1, pattern \"501\"
    ${heading}
    reflectorised
    ${judgement}
10000: no rule" "$out"
check "options by number" "    internal lighting" "$("${tool[@]}" --options '&H8' 631 | sed -n 3p)"
"${tool[@]}" --help >/dev/null; check "help" 0 $?
if [[ "$(basename "${tool[0]}")" == node* ]]; then
  check "help under Node says that a closed standard stream reads as an empty one" 1 \
    "$("${tool[@]}" --help | grep -c '^Under Node, a closed standard stream cannot be told from an empty one:$')"
fi
"${tool[@]}" --lamp 501 >/dev/null 2>&1; check "unknown flag" 2 $?
"${tool[@]}" >/dev/null 2>&1; check "no diagram number" 2 $?
check "help lists the exit codes" "3" "$("${tool[@]}" --help | sed -n '/^Exit codes:/,$p' | grep -cE '^  [012]  ')"

# --options takes the next argument as /Q reads a number (value|exit code|third line for 631).
while IFS='|' read -r value code line; do
  out=$("${tool[@]}" --options "$value" 631 2>/dev/null)
  check "--options '$value': exit code" "$code" $?
  check "--options '$value': answer" "$line" "$(sed -n 3p <<<"$out")"
done <<'TABLE'
8|0|    internal lighting
&H8|0|    internal lighting
&h8|0|    internal lighting
&O10|0|    internal lighting
&10|0|    internal lighting
&B1000|0|    internal lighting
 8 |0|    internal lighting
7.5|0|    internal lighting
8e0|0|    internal lighting
--lamp-column|2|
--|2|
abc|2|
|2|
0x1|2|
8abc|2|
&H|2|
&8|2|
1e|2|
TABLE
err=$("${tool[@]}" --options --lamp-column 501 2>&1 >/dev/null)
# (Messages are text: on Windows they end in CR LF.)
check "a flag after --options is named" 'brantle-rules: --options needs a number, not the flag "--lamp-column"' "${err%$'\r'}"
"${tool[@]}" 501 --options >/dev/null 2>&1; check "--options without a value" 2 $?

# The batch OPTIONS column is read as --options reads its value; an empty
# field is 0. A UTF-8 byte-order mark at the very start of the input is
# skipped (input|option sets answered).
while IFS='|' read -r input answers; do
  check "batch OPTIONS in $input" "$answers" "$(printf '%b' "$input" | "${tool[@]}" --batch | cut -f2 | xargs)"
done <<'TABLE'
&H8\t\n\t\n 8 \t\n2048\t\n&B101\t\n|8 0 8 2048 5
\xef\xbb\xbf2048\t\n|2048
\xef\xbb\xbf\t631\n|0
\xef\xbb\xbf\n|0
TABLE
check "a byte-order mark before a text alone" "1" "$(printf '\xef\xbb\xbf501\n' | "${tool[@]}" --batch | cut -f1)"
# A bad value ends the run with exit code 2 and its line number, after the
# lines before it were answered.
while IFS= read -r value; do
  out=$(printf '8\t631\n%b\t631\n8\t631\n' "$value" | "${tool[@]}" --batch 2>"$scratch/err")
  status=$?
  check "batch OPTIONS '$value': exit code" 2 "$status"
  check "batch OPTIONS '$value': only the line before it answered" "8" "$(cut -f2 <<<"$out" | xargs)"
  check "batch OPTIONS '$value': the line named" 1 "$(grep -c '^brantle-rules: line 2: OPTIONS' "$scratch/err")"
done <<'TABLE'
0x800
abc
1,024
 
8abc
&H
1e
ï»¿2048
TABLE

# Numbers beyond 2^53 in every form: the same option sets in every build
# (large_numbers.txt; the batch OPTIONS column shows them).
numbers=$(dirname "$0")/large_numbers.txt
check "large numbers: the option sets of the table" "$(grep -v '^#' "$numbers" | cut -f2 | xargs)" \
  "$(grep -v '^#' "$numbers" | cut -f1 | sed 's/$/\t/' | "${tool[@]}" --batch | cut -f2 | xargs)"
# The table itself against a model of the reading in Python, whose floats
# are IEEE doubles rounded at every step and whose decimal reading is
# correctly rounded.
check "large numbers: the table follows the model" "" "$(python3 - "$numbers" <<'MODEL'
import sys
for line in open(sys.argv[1], encoding="ascii"):
    if line.startswith("#"):
        continue
    text, want = line.rstrip("\n").split("\t")
    bases = {"H": 16, "B": 2, "O": 8, "Q": 8}
    if text.startswith("&"):
        base = bases.get(text[1].upper())
        digits = text[2:] if base else text[1:]
        base = base or 8
        value = 0.0
        for c in digits:
            if int(c, 16) >= base:
                break
            value = value * base + int(c, 16)
    else:
        value = float(text.replace("D", "e").replace("d", "e"))
    low = round(value) & 0xFFFFFFFF
    if low - (low >> 31 << 32) != int(want):
        print(text, want, low - (low >> 31 << 32))
MODEL
)"

# Batch lines end in LF, CR LF or a lone CR (input|rows of the answers).
while IFS='|' read -r input rows; do
  check "line ends in $input" "$rows" "$(printf '%b' "$input" | "${tool[@]}" --batch | cut -f1 | xargs)"
done <<'TABLE'
601\n652\n|43 27
601\r\n652\r\n|43 27
601\r652\r|43 27
0\t601\r0\t652|43 27
601\r\r652|43 0 27
601\n\r\n652\r\n\n|43 0 27 0
652|27
TABLE

# Input that cannot be read, output that cannot be written: a message and
# exit code 1, never a silent 0.
: >"$scratch/write-only"
while IFS='|' read -r what command; do
  err=$(eval "$command" 2>&1 >/dev/null)
  status=$?
  if [[ "$command" == *"/dev/full"* ]] && [ ! -w /dev/full ]; then echo "skipped: $what (no /dev/full)"; continue; fi
  # Node puts /dev/null in place of a closed standard stream before any
  # program of its own starts, so the tool cannot see that it was closed:
  # it answers as for an empty input or a discarded output, as its --help says.
  if [[ "$what" == *closed ]] && [[ "$(basename "${tool[0]}")" == node* ]]; then
    check "$what, under Node: exit code 0 and no message, as --help says" "0 0" "$status $(grep -c . <<<"$err")"
    continue
  fi
  check "$what: exit code" 1 "$status"
  check "$what: message" 1 "$(grep -c '^brantle-rules: cannot' <<<"$err")"
done <<'TABLE'
output to a full device|"${tool[@]}" 501 >/dev/full
output closed|"${tool[@]}" 501 >&-
help to a full device|"${tool[@]}" --help >/dev/full
batch output to a full device|printf '501\n' | "${tool[@]}" --batch >/dev/full
long batch output to a full device|seq 1 5000 | "${tool[@]}" --batch >/dev/full
batch input a directory|"${tool[@]}" --batch <"$scratch"
batch input closed|"${tool[@]}" --batch <&-
batch input write-only|"${tool[@]}" --batch 0>"$scratch/write-only"
csv output to a full device|printf 'diagram,options\n501,0\n' | "${tool[@]}" --csv >/dev/full
csv input a directory|"${tool[@]}" --csv <"$scratch"
TABLE

# --csv: a schedule as CSV, each row answered as the dialog first shows it.
out=$(printf 'ref,Diagram,options\r\n"1, with a comma",652,1\n2,,\n3,501,abc\n' | "${tool[@]}" --csv 2>"$scratch/err"; echo "exit $?")
check "csv: header, answers and an error row" "ref,Diagram,options,row,verdict,heading,result,note,error
\"1, with a comma\",652,1,27,1,${heading},reflectorised,${judgement},
2,,,109,1,The illumination requirement for signs with no diagram number is:,reflectorised,\"except that plates for waiting and loading, signs intended only for cyclists or pedestrians and most brown tourist signs don't legally need any illumination.\",
3,501,abc,,,,,,\"options: not a number (decimal, &H.. hexadecimal, &B.. binary or &O.. octal)\"
exit 0" "$(tr -d '\r' <<<"$out")"
check "csv: CR LF after every record" 4 "$(grep -c $'\r$' <<<"$out")"
check "csv: rows not checked are counted on standard error" \
  "brantle-rules: --csv: 1 of 3 rows not checked (see their error column)" "$(tr -d '\r' <"$scratch/err")"

# A schedule that cannot be checked: exit code 2 and a message (input|message).
while IFS='|' read -r input message; do
  err=$(printf '%b' "$input" | "${tool[@]}" --csv 2>&1 >/dev/null)
  check "csv refused: $message: exit code" 2 $?
  check "csv refused: $message" "brantle-rules: --csv: $message" "${err%$'\r'}"
done <<'TABLE'
|the file is empty; it needs a header row naming a "diagram" and an "options" column
diagram,opts\n652,1\n|the header row has no "options" column; it needs both "diagram" and "options"
Diagram Number,Options\n|the header row has no "diagram" column; it needs both "diagram" and "options"
diagram,options,diagram\n|the header row names 2 "diagram" columns; it must name one
TABLE
out=$({ printf 'diagram,options\n652,1\n'; head -c 1048577 /dev/zero | tr '\0' 5; } | "${tool[@]}" --csv 2>"$scratch/err")
check "csv: a row over 1 MiB: exit code" 2 $?
check "csv: a row over 1 MiB: the rows before it are answered" "diagram 652" "$(cut -d, -f1 <<<"$out" | xargs)"
check "csv: a row over 1 MiB: message" \
  "brantle-rules: --csv: row 3 of the file (the header is row 1) is longer than 1048576 bytes" "$(tr -d '\r' <"$scratch/err")"
"${tool[@]}" --csv 652 </dev/null >/dev/null 2>&1; check "csv takes no diagram arguments" 2 $?
"${tool[@]}" --csv --batch </dev/null >/dev/null 2>&1; check "csv and batch together are refused" 2 $?

# Wide schedules, generated here: at most 16384 columns are taken, and
# memory stays bounded whatever the input (file|exit code|answer records|
# fields of the last one|standard error). The peak is the most memory the
# tool's process held: within 64 MiB for the tool alone; with a loader
# (Node, Wine), within 64 MiB more than for a one-row schedule.
python3 - "$scratch" <<'PY'
import sys
scratch = sys.argv[1]
def header(columns):
    return "diagram,options" + "".join(",c%d" % i for i in range(2, columns))
files = {
    # A header of 1,048,556 commas, then 30,000 rows of "1": 1.1 MB.
    "commas": "diagram,options" + "," * 1048556 + "\n" + "1\n" * 30000,
    "16384": header(16384) + "\n652,1\n" + "501\n" * 2,
    "16385": header(16385) + "\n652,1\n",
    # Every short row is padded to the header's width: about 16 KB of answer each.
    "padded": header(16384) + "\n" + "1\n" * 6000,
    "400002": "diagram,options,ref\n652,1,a" + "," * 399999 + "\n501,0,b\n",
    "one-row": "diagram,options\n652,1\n",
}
for name, text in files.items():
    with open("%s/wide-%s.csv" % (scratch, name), "w", newline="") as f:
        f.write(text)
PY
# Runs the tool on a file; prints its exit code and the peak of its
# process's memory in KiB.
peak_run() {  # peak_run <input> <output> <errors> <tool and arguments...>
  python3 -c '
import resource, subprocess, sys
with open(sys.argv[1], "rb") as i, open(sys.argv[2], "wb") as o, open(sys.argv[3], "wb") as e:
    code = subprocess.run(sys.argv[4:], stdin=i, stdout=o, stderr=e).returncode
print(code, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$@"
}
read -r _ base_peak < <(peak_run "$scratch/wide-one-row.csv" /dev/null /dev/null "${tool[@]}" --csv)
allowed=$((64 * 1024))
[ ${#tool[@]} -gt 1 ] && allowed=$((base_peak + 64 * 1024))
# The answer's records (lines: these answers hold no line breaks in a field)
# and the fields of the last one.
records_and_fields() {
  echo "$(wc -l <"$1") $(tail -n 1 "$1" | python3 -c '
import csv, sys
csv.field_size_limit(1 << 30)
print(max((len(row) for row in csv.reader(sys.stdin)), default=0))')"
}
# Chosen fields of every answer row, joined by "|".
answer_fields() {  # answer_fields <answer file> <field numbers...>
  python3 -c '
import csv, sys
csv.field_size_limit(1 << 30)
with open(sys.argv[1], newline="", encoding="latin-1") as f:
    for row in list(csv.reader(f))[1:]:
        print("|".join(row[int(n)] for n in sys.argv[2:]))' "$@"
}
while IFS='|' read -r name code answer message; do
  read -r status peak < <(peak_run "$scratch/wide-$name.csv" "$scratch/wide-$name.out" "$scratch/wide.err" \
    "${tool[@]}" --csv)
  check "csv, $name: exit code" "$code" "$status"
  check "csv, $name: answer records, fields of the last" "$answer" "$(records_and_fields "$scratch/wide-$name.out")"
  check "csv, $name: standard error" "brantle-rules: --csv: $message" "$(tr -d '\r' <"$scratch/wide.err")"
  check "csv, $name: memory within $((allowed / 1024)) MiB (peak $((peak / 1024)) MiB)" yes \
    "$([ "$peak" -le "$allowed" ] && echo yes || echo no)"
done <<'TABLE'
commas|2|0 0|the header row has 1048558 columns; a schedule may have at most 16384
16384|0|4 16390|2 of 3 rows not checked (see their error column)
16385|2|0 0|the header row has 16385 columns; a schedule may have at most 16384
padded|0|6001 16390|6000 of 6000 rows not checked (see their error column)
400002|0|3 9|1 of 2 rows not checked (see their error column)
TABLE
check "csv, 16384 columns: the rows answered, or refused for want of a field" \
  "652|1|27|reflectorised|
501||||1 field where the header has 16384
501||||1 field where the header has 16384" "$(answer_fields "$scratch/wide-16384.out" 0 1 16384 16387 16389)"
check "csv, a row of 400002 fields: its error, and the next row answered" \
  "652|1|a|||400002 fields where the header has 3; a row may have at most 16384, so the extra fields are left out
501|0|b|1|1|" "$(answer_fields "$scratch/wide-400002.out" 0 1 2 3 4 8)"
rm -f "$scratch"/wide-*

# A schedule made from the rule table's patterns, with awkward fields
# (quotes, commas, line breaks, bytes 0xE0-0xFF) and options in every form:
# each row checked gives what --batch gives for OPTIONS<TAB>TEXT, and the
# columns come back unchanged.
awk -F, '
  { sub(/^ +/, "", $1); sub(/ +$/, "", $1); patterns[n++] = $1 }
  END {
    split("530a|<642>| 601-1 |6x|abc|\351\340|-501|&H3E8|1e3|", odd, "|")
    split("|1|&H811|&b1001|&O10|2049| 8 |-1|abc|0x1", options, "|")
    names[0] = "plain"; names[1] = "\"with, comma\""; names[2] = "\"with \"\"quotes\"\"\""
    names[3] = "\"two\nlines\""; names[4] = "\"two\r\nlines\""; names[5] = "accents \340\351\377"
    printf "name,diagram,options,remark\r\n"
    for (i = 0; i < 600; i++) {
      text = patterns[i % n]
      for (k = 1; k <= length(text); k++)
        if (substr(text, k, 1) == "x") text = substr(text, 1, k - 1) (int(i / n) + k) % 10 substr(text, k + 1)
      sub(/\*$/, i % 3 ? int(i / n) % 10 : "", text)
      if (i % 7 == 6) text = odd[1 + int(i / 7) % 10]
      if (i % 5 == 4) text = "\"" text "\""
      printf "%s,%s,%s%s%s", names[i % 6], text, options[1 + int(i / 3) % 10], i % 4 ? ",r" i : "", i % 2 ? "\n" : "\r\n"
    }
  }' "$(dirname "$0")/../resources/rule_table.txt" >"$scratch/schedule.csv"
"${tool[@]}" --csv <"$scratch/schedule.csv" >"$scratch/answers.csv" 2>/dev/null
check "csv: an awkward 600-row schedule is answered" 0 $?
python3 - "$scratch/schedule.csv" "$scratch/answers.csv" "$scratch/batch.in" <<'PY' >"$scratch/csv-check"
import csv, sys
def rows(path):
    with open(path, newline="", encoding="latin-1") as f:
        return list(csv.reader(f))
schedule, answers = rows(sys.argv[1]), rows(sys.argv[2])
problems = []
if answers[0] != schedule[0] + ["row", "verdict", "heading", "result", "note", "error"]:
    problems.append("header %r" % answers[0])
with open(sys.argv[3], "w", newline="", encoding="latin-1") as batch:
    for number, (row, answer) in enumerate(zip(schedule[1:], answers[1:]), 2):
        kept = row + [""] * (4 - len(row))
        if answer[:4] != kept:
            problems.append("row %d: columns %r, not %r" % (number, answer[:4], kept))
        if not answer[9]:
            batch.write("%s\t%s%s\n" % (row[2], row[1], "" if row[1].strip(" ") else "\tnone=1"))
print("%d rows, %d answers, %d checked, %d with an error" % (len(schedule) - 1, len(answers) - 1,
      sum(1 for a in answers[1:] if not a[9]), sum(1 for a in answers[1:] if a[9])))
print("\n".join(problems[:5]))
PY
check "csv: every column kept, every answer or error" "600 rows, 600 answers, 480 checked, 120 with an error" \
  "$(head -1 "$scratch/csv-check")"
check "csv: the columns come back unchanged" "" "$(tail -n +2 "$scratch/csv-check")"
"${tool[@]}" --batch <"$scratch/batch.in" | cut -f1,3-6 >"$scratch/batch.out"
python3 - "$scratch/answers.csv" <<'PY' | cmp -s - "$scratch/batch.out"
import csv, sys
with open(sys.argv[1], newline="", encoding="latin-1") as f:
    for answer in list(csv.reader(f))[1:]:
        if not answer[9]:
            sys.stdout.buffer.write(("\t".join(answer[4:9]) + "\n").encode("latin-1"))
PY
check "csv: each checked row answers as --batch answers its OPTIONS and TEXT" 0 $?

# With a reference tool (the native build, where this runs the Windows one
# under Wine): a schedule of texts that reach every row, with events, raw
# option sets and all three line ends, gives the same bytes from both.
if [ -n "${BRANTLE_RULES_REFERENCE:-}" ]; then
  awk -F, '
    { sub(/^ +/, "", $1); sub(/ +$/, "", $1); patterns[n++] = $1 }
    END {
      split("530a 642-2 <642> 6x 2609.3 abc \351\340 -501 1e3 &H3E8", odd, " ")
      events[0] = ""; events[1] = "\tclick=11"; events[2] = "\tclick=3\ttype=954.1"
      events[3] = "\tnone=1"; events[4] = "\tnone=1\tnone=0"; events[5] = "\tclick=0\tclick=9\tclick=10"
      ends[0] = "\n"; ends[1] = "\r\n"; ends[2] = "\r"
      for (i = 0; i < 3000; i++) {
        # Each pattern with its wildcards filled in differently each round.
        text = patterns[i % n]
        for (k = 1; k <= length(text); k++)
          if (substr(text, k, 1) == "x") text = substr(text, 1, k - 1) (int(i / n) + k) % 10 substr(text, k + 1)
        sub(/\*$/, i % 3 ? int(i / n) % 10 : "", text)
        if (i % 11 == 10) text = odd[1 + int(i / 11) % 10]
        printf "%d\t %s %s%s", (i * 2654435761) % 4096, text, events[i % 6], ends[i % 3]
      }
    }' "$(dirname "$0")/../resources/rule_table.txt" >"$scratch/schedule"
  "${tool[@]}" --batch <"$scratch/schedule" >"$scratch/answers" 2>&1
  "$BRANTLE_RULES_REFERENCE" --batch <"$scratch/schedule" >"$scratch/reference" 2>&1
  check "a 3000-line schedule: the same answers as $BRANTLE_RULES_REFERENCE" \
    "$(sha256sum <"$scratch/reference") $(wc -l <"$scratch/reference")" "$(sha256sum <"$scratch/answers") $(wc -l <"$scratch/answers")"
  "$BRANTLE_RULES_REFERENCE" --csv <"$scratch/schedule.csv" >"$scratch/reference.csv" 2>/dev/null
  check "the awkward CSV schedule: the same bytes as $BRANTLE_RULES_REFERENCE" \
    "$(sha256sum <"$scratch/reference.csv")" "$(sha256sum <"$scratch/answers.csv")"
fi

check_summary
