#!/bin/sh
# The device's system functions: every Windows function that the product's
# own object files (framework/, update/, plugin/) import must be exported by
# the device's system libraries (cmake/device-api/*.txt). An import is an
# __imp_ reference, or a plain C name that resolves into an import library of
# a DLL the deliverables load. A name the device's SDK provides as a macro
# over a listed function counts as that function; the check prints the ones
# it mapped. Fails naming each function the device lacks, with its sources.
#   sh cmake/device-api.sh BUILD_DIR...
set -eu
lists=$(cd "$(dirname "$0")/device-api" && pwd)

# Name in the product's objects, and the device's function behind it
# ("-": a macro that calls nothing).
mapping='GetWindowLongPtrW GetWindowLongW
SetWindowLongPtrW SetWindowLongW
GetTextExtentPoint32W GetTextExtentExPointW
TextOutW ExtTextOutW
LockResource -
GetCurrentThreadId -
lstrlenW wcslen
GetProcAddress GetProcAddressW
ShellExecuteExW ShellExecuteEx
GetPropW GetProp
SetPropW SetProp
RemovePropW RemoveProp
Process32FirstW Process32First
Process32NextW Process32Next'

status=0
for build in "$@"; do
    nm=$(sed -n 's/^CMAKE_NM:FILEPATH=//p' "$build/CMakeCache.txt")
    target=$(basename "$nm" | sed 's/-nm$//')
    if [ -z "$target" ] || [ ! -f "$build/bin/Corvane.dll" ]; then
        echo "Device API ($build): FAILED: not a built folder"
        status=1
        continue
    fi
    objects=$(find "$build/framework" "$build/update" "$build/plugin" -name '*.obj' | sort)
    dlls=$("$target-objdump" -p "$build/bin/Update.exe" "$build/bin/Corvane.dll" |
        awk '/DLL Name:/ { print tolower($3) }' | sort -u)
    libraries=""
    for dll in $dlls; do
        library=/usr/$target/lib/lib${dll%.dll}.a
        [ -f "$library" ] && libraries="$libraries $library"
    done
    # i686 names carry a leading underscore, stdcall ones an "@bytes" too.
    [ "$target" = i686-w64-mingw32 ] && decorated=1 || decorated=0
    {
        echo "$mapping" | sed 's/^/map /'
        cat "$lists"/*.txt | sed 's/^/device /'
        # The import libraries' thunks: a member that defines both X and __imp_X.
        # shellcheck disable=SC2086
        "$target-nm" -A --defined-only $libraries 2>/dev/null | awk '{ print "thunk", $1, $NF }'
        # shellcheck disable=SC2086
        "$target-nm" -A -u $objects | awk '{ print "use", $1, $NF }'
    } | awk -v decorated="$decorated" -v build="$build" '
        function sort(list, n,   i, j, item) {
            for (i = 1; i < n; i++) {
                item = list[i]
                for (j = i - 1; j >= 0 && list[j] > item; j--) list[j + 1] = list[j]
                list[j + 1] = item
            }
        }
        function plain(name) {
            if (decorated) { sub(/^_/, "", name); sub(/@[0-9]+$/, "", name) }
            return name
        }
        function source(file) {
            sub(/:$/, "", file); sub("CMakeFiles/[^/]*\\.dir/", "", file); sub(/\.obj$/, "", file)
            if (index(file, build "/") == 1) file = substr(file, length(build) + 2)
            return file
        }
        $1 == "map" { mapped[$2] = $3; next }
        $1 == "device" { device[$2] = 1; next }
        $1 == "thunk" {
            member = $2; sub(/:[0-9a-f]+$/, "", member); name = $3
            if (name ~ /^__imp_/) { sub(/^__imp_/, "", name); imported[member SUBSEP plain(name)] = 1 }
            else defined[member SUBSEP plain(name)] = 1
            next
        }
        $1 == "use" {
            name = $3
            if (name ~ /^__imp_/) { sub(/^__imp_/, "", name); dllimport[plain(name)] = 1 }
            name = plain(name)
            if (!index(users[name] " ", " " source($2) " ")) users[name] = users[name] " " source($2)
        }
        END {
            for (key in defined) if (key in imported) { split(key, part, SUBSEP); thunk[part[2]] = 1 }
            count = 0; maps = 0; missing = 0
            for (name in users) {
                if (!(name in dllimport) && !(name in thunk)) continue
                count++
                if (name in mapped) used[maps++] = name " → " (mapped[name] == "-" ? "none (a macro)" : mapped[name])
                else if (!(name in device)) lacking[missing++] = name " (" substr(users[name], 2) ")"
            }
            sort(lacking, missing); sort(used, maps)
            printf "Device API (%s): %d functions imported by the product, %s\n", build, count,
                missing ? missing " not exported by the device:" : "all exported by the device"
            for (i = 0; i < missing; i++) print "    " lacking[i]
            line = ""
            for (i = 0; i < maps; i++) line = line (i ? ", " : "") used[i]
            if (maps) print "  mapped as the device'"'"'s SDK does: " line
            if (missing) exit 1
        }' || status=1
done
exit $status
