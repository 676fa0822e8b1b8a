#!/bin/sh
# Ends a test run with its skipped cases and their reasons: the CTest entries
# that skipped themselves (SKIP_RETURN_CODE, SKIP_REGULAR_EXPRESSION; the
# reason is the last line they printed) and the GTEST_SKIP cases inside the
# executables, which CTest counts as passed (their reasons come from the
# results file each executable writes, see cmake/Wine.cmake).
#   sh cmake/skip-summary.sh RESULTS    (RESULTS/ctest.xml from ctest --output-junit,
#                                        RESULTS/started touched before the run)
# Fails when a skip gives no reason, or when an entry that ran left results of
# an earlier run (its skips would be stale).
set -eu
results=$1
junit=$results/ctest.xml
if [ ! -f "$junit" ]; then
    echo "Skipped: unknown (no $junit)"
    exit 1
fi

lines=$(
    # CTest's own skips: "skip<TAB>entry<TAB>reason".
    awk '
        function unescape(s) {
            gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s)
            gsub(/&apos;/, "\047", s); gsub(/&amp;/, "\\&", s)
            return s
        }
        /<testcase / { i = index($0, "name=\""); name = substr($0, i + 6); name = substr(name, 1, index(name, "\"") - 1)
                       skipped = 0; reason = ""; inout = 0; next }
        /<skipped / { skipped = 1; next }
        /<system-out>/ { sub(/.*<system-out>/, ""); inout = 1 }
        inout { done = sub(/<\/system-out>.*/, ""); line = $0; gsub(/^[ \t\r]+|[ \t\r]+$/, "", line)
                if (line != "") reason = unescape(line)
                if (done) inout = 0 }
        /<\/testcase>/ { if (skipped) printf "skip\t%s\t%s\n", name, reason }
    ' "$junit"
    # The executables that ran: their GTEST_SKIP cases, "skip<TAB>entry Suite.Case<TAB>reason".
    for name in $(awk '/<testcase .*status="run"/ { i = index($0, "name=\""); n = substr($0, i + 6); print substr(n, 1, index(n, "\"") - 1) }' "$junit"); do
        xml=$results/$name.xml
        [ -f "$xml" ] || continue
        if [ ! "$xml" -nt "$results/started" ]; then
            printf 'stale\t%s\t\n' "$name"
            continue
        fi
        awk -v entry="$name" '
            function attr(key,   i, rest) {
                i = index($0, " " key "=\""); if (!i) return ""
                rest = substr($0, i + length(key) + 3); return substr(rest, 1, index(rest, "\"") - 1)
            }
            /<testcase / { skipped = ($0 ~ /result="skipped"/); where = entry " " attr("classname") "." attr("name")
                           reason = ""; intext = 0; if ($0 ~ /\/>[ \t\r]*$/ && skipped) printf "skip\t%s\t\n", where; next }
            # The text is "file:line", then the reason.
            skipped && /<!\[CDATA\[/ { intext = 1; first = 1; sub(/.*<!\[CDATA\[/, "") }
            intext { done = sub(/\]\]>.*/, ""); line = $0; gsub(/^[ \t\r]+|[ \t\r]+$/, "", line)
                     if (!first && line != "") reason = reason (reason == "" ? "" : " ") line
                     first = 0
                     if (done) intext = 0 }
            /<\/testcase>/ { if (skipped) printf "skip\t%s\t%s\n", where, reason; skipped = 0 }
        ' "$xml"
    done
)

count=0
status=0
report=""
tab=$(printf '\t')
while IFS="$tab" read -r kind where reason; do
    [ -n "$kind" ] || continue
    case $kind in
    stale)
        report="$report
  $where: FAILED: its results are from an earlier run, so its skips cannot be told"
        status=1 ;;
    skip)
        count=$((count + 1))
        if [ -z "$reason" ]; then
            report="$report
  $where: FAILED: skipped without a reason"
            status=1
        else
            report="$report
  $where: $reason"
        fi ;;
    esac
done <<EOF
$lines
EOF
echo "Skipped: $count$report"
exit $status
