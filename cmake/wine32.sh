#!/bin/sh
# 32-bit Wine (Debian's wine32:i386) for the 32-bit build.
#   sh cmake/wine32.sh run PROGRAM [ARGS...]   CTest's emulator: runs PROGRAM with Wine's 32-bit
#                                              loader; without it prints why as its last line and
#                                              exits 77, which the entry reports as skipped
#   sh cmake/wine32.sh why [APT-OUTPUT]        one line: why 32-bit Wine is not installed, from the
#                                              output of a failed apt-get install, or from apt's answer now
# WINE32_LOADER names a 32-bit loader installed elsewhere.
set -eu
loader=${WINE32_LOADER:-/usr/lib/wine/wine}

why() {
    output=${1:-}
    if [ -z "$output" ]; then
        if ! command -v apt-get >/dev/null 2>&1; then
            echo "$loader is missing and there is no apt-get to install wine32:i386"
            return
        fi
        output=$(mktemp)
        trap 'rm -f "$output"' EXIT
        if LC_ALL=C apt-get install -s --no-install-recommends wine32:i386 >"$output" 2>&1; then
            echo "wine32:i386 is not installed; apt can install it now (tools/setup)"
            return
        fi
    fi
    # apt's error and the first dependency it could not meet, if it names one.
    LC_ALL=C awk '
        /^E: / && error == "" { error = substr($0, 4) }
        / : (Pre)?Depends: / && unmet == "" { unmet = $0; gsub(/^[ \t]+|[ \t]+$/, "", unmet); gsub(/[ \t]+/, " ", unmet) }
        END {
            if (error == "") error = "apt-get failed"
            printf "apt refused wine32:i386: %s%s\n", error, unmet == "" ? "" : " (first unmet: " unmet ")"
        }' "$output"
}

case ${1:-} in
run)
    shift
    [ -x "$loader" ] && exec "$loader" "$@"
    echo "32-bit Wine is missing: $(why)"
    exit 77 ;;
why)
    why "${2:-}" ;;
*)
    echo "usage: $0 run PROGRAM [ARGS...] | why [APT-OUTPUT]" >&2
    exit 2 ;;
esac
