#!/usr/bin/env bash
# The Windows part of the test command. Installs what the cross-build needs,
# builds build/win32 (i686, the release) and build/win64 (x86_64), runs the
# unit tests of both under Wine, makes and checks the release archive
# build/win32/package/flightmfd-<version>-win32.zip with its checksum file,
# checks the release binaries, and runs the whole system under Wine, also in
# a console on a pseudo-terminal: on the x86_64 build, and on the release as
# users get it, the files unpacked from the zip.
# The i686 build runs only where this machine runs 32-bit code (runs_32bit in
# wine-common.sh); elsewhere it is compiled, linked and packed, and one line
# says so. FLIGHTMFD_32BIT=0 makes any machine count as one without 32-bit
# support.
# Needs no terminal and no standard input; every Wine run is time-limited.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

# Each step line tells the seconds since the start, for the CI time budget.
step() { echo "==== windows-check: $* (at ${SECONDS} s)"; }
fail() {
    echo "windows-check: FAILED: $*" >&2
    exit 1
}

step "toolchains, Wine, expat and GoogleTest"
scripts/windows-deps.sh
step "build both architectures; their unit tests under Wine"
scripts/windows-build.sh
source "$top/scripts/wine-common.sh"

# ---- The release archive ----
step "release archive"
package=$top/build/win32/package
rm -rf "$package"
(cd build/win32 && cpack -G ZIP -B "$package" >/dev/null)
zips=("$package"/flightmfd-*-win32.zip)
zip=${zips[0]}
[ -f "$zip" ] || fail "cpack made no archive in $package"
folder=$(basename "$zip" .zip)
expected=(README-Windows.txt config.xml flightmfd-preview.exe flightmfd-sim.exe flightmfd.exe
    virtualmfd.dll)
listed=$(cmake -E tar tf "$zip" | sed -n "s|^$folder/||p" | grep -v '/$' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
if [ "$listed" != "$wanted" ]; then
    echo "holds:"$'\n'"$listed"$'\n'"instead of:"$'\n'"$wanted" >&2
    fail "$(basename "$zip") does not hold exactly the release files under $folder/"
fi
unpacked=$package/unpacked
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
cmp -s "$unpacked/$folder/config.xml" examples/config.xml || fail "the archive's config.xml differs"
scripts/windows-guide-check.sh "$unpacked/$folder"
# The checksum file, as users check it: sha256sum -c beside the zip.
[ -f "$zip.sha256" ] || fail "no $(basename "$zip").sha256 beside the archive"
(cd "$package" && sha256sum --quiet --strict -c "$(basename "$zip").sha256") ||
    fail "$(basename "$zip").sha256 does not check the archive"

# ---- The i686 binaries, as built and as released ----
# A 32-bit program that imports only DLLs every Windows has: the static link
# leaves out the C++ runtime, the thread library and expat as DLLs.
step "i686 binaries: PE32, system DLLs only, plain export names"
objdump=i686-w64-mingw32-objdump
system_dlls='^(kernel32|advapi32|msvcrt|ws2_32|user32|ntdll|shell32|ole32)\.dll$'
entry_points=(AddPage Deinitialize Enumerate GetDeviceInstance GetDeviceType Initialize
    RegisterDeviceChangeCallback RegisterPageChangeCallback RegisterSoftButtonChangeCallback
    RemovePage SetImage SetLed SetProfile SetString)
wanted_exports=$(printf 'DirectOutput_%s\n' "${entry_points[@]}" | LC_ALL=C sort)
for dir in build/win32/bin "$unpacked/$folder"; do
    for binary in flightmfd.exe flightmfd-sim.exe flightmfd-preview.exe virtualmfd.dll; do
        headers=$($objdump -p "$dir/$binary")
        grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)$' <<<"$headers" ||
            fail "$dir/$binary is not PE32"
        while read -r dll; do
            grep -Eqi "$system_dlls" <<<"$dll" || fail "$dir/$binary imports $dll"
        done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
    done
    # The names the loader asks for, undecorated (no Name@N), and no others.
    exports=$($objdump -p "$dir/virtualmfd.dll" |
        sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' |
        LC_ALL=C sort)
    if [ "$exports" != "$wanted_exports" ]; then
        echo "exports:"$'\n'"$exports" >&2
        fail "$dir/virtualmfd.dll does not export exactly the 14 plain entry point names"
    fi
done

# ---- What Explorer's Properties show of each release file ----
step "version information of the release files"
version=${folder#flightmfd-}
version=${version%-win32}
for binary in flightmfd.exe flightmfd-sim.exe flightmfd-preview.exe virtualmfd.dll; do
    info=$(i686-w64-mingw32-windres -i "$unpacked/$folder/$binary" -O rc 2>/dev/null || true)
    for field in "ProductName\", \"flightmfd\"" "ProductVersion\", \"$version\"" \
        "FileVersion\", \"$version\"" "OriginalFilename\", \"$binary\""; do
        grep -Fq "VALUE \"$field" <<<"$info" || fail "$binary does not carry $field"
    done
    grep -Eq 'VALUE "FileDescription", "[^"]+"' <<<"$info" || fail "$binary has no description"
done

# Both builds, the same checks: each script runs the build that
# FLIGHTMFD_WINE_ARCH names, the i686 one from the unpacked release.
run_checks() {  # arch label
    step "$2: the whole system under Wine"
    FLIGHTMFD_WINE_ARCH=$1 FLIGHTMFD_WINE_BIN= scripts/windows-e2e.sh
    step "$2: in a console under Wine: the live view, the key wait of a fatal end"
    FLIGHTMFD_WINE_ARCH=$1 FLIGHTMFD_WINE_BIN= scripts/windows-console.sh
    step "$2: text from a double-byte code page under Wine"
    FLIGHTMFD_WINE_ARCH=$1 FLIGHTMFD_WINE_BIN= scripts/windows-double-byte.sh
}
run_checks win64 "x86_64 build"
if runs_32bit; then
    run_checks win32 "i686 release, unpacked"
    tested="both builds pass, the release as unpacked under 32-bit Wine"
else
    tested="the x86_64 build passes; the i686 release was only compiled, linked and packed (no 32-bit code runs here)"
fi

echo "windows-check: $(basename "$zip") made, $tested, in ${SECONDS} s"
