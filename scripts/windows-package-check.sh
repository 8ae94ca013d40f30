#!/usr/bin/env bash
# Makes the Windows release archive from the i686 build and checks it, as
# package-check.sh does the Debian package:
#   scripts/windows-package-check.sh     (build/win32, already built)
# build/win32/package/flightmfd-<version>-win32.zip holds exactly the release
# files in one folder, with a checksum file beside it that sha256sum -c
# accepts; its config.xml is the sample; its guide, README-Windows.txt, is
# plain ASCII with Windows line ends and names only files the release holds;
# the programs, as built and as released, are PE32, import only DLLs that
# every Windows has, and tell their version in Explorer's Properties; and
# virtualmfd.dll exports exactly the plain entry point names. The archive is
# left unpacked in build/win32/package/unpacked/, where the checks under Wine
# run the release as users get it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/helpers.sh

build=$PWD/build/win32
package=$build/package
rm -rf "$package"
log=$build/package-cpack.log
(cd "$build" && cpack -G ZIP -B "$package" >"$log" 2>&1) || { cat "$log" >&2; die "cpack failed"; }
zips=("$package"/flightmfd-*-win32.zip)
zip=${zips[0]}
[ -f "$zip" ] || die "cpack made no archive in $package"
folder=$(basename "$zip" .zip)
release=$package/unpacked/$folder
binaries=(flightmfd.exe flightmfd-sim.exe flightmfd-preview.exe virtualmfd.dll)

# ---- The archive: the release files in one folder, and its checksum ----
expected=("${binaries[@]}" README-Windows.txt config.xml)
listed=$(cmake -E tar tf "$zip" | sed -n "s|^$folder/||p" | grep -v '/$' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
if [ "$listed" != "$wanted" ]; then
    echo "holds:"$'\n'"$listed"$'\n'"instead of:"$'\n'"$wanted" >&2
    die "$(basename "$zip") does not hold exactly the release files under $folder/"
fi
mkdir -p "$package/unpacked"
(cd "$package/unpacked" && cmake -E tar xf "$zip")
cmp -s "$release/config.xml" examples/config.xml || die "the archive's config.xml differs"
# The checksum file, as users check it: sha256sum -c beside the zip.
[ -f "$zip.sha256" ] || die "no $(basename "$zip").sha256 beside the archive"
(cd "$package" && sha256sum --quiet --strict -c "$(basename "$zip").sha256") ||
    die "$(basename "$zip").sha256 does not check the archive"

# ---- The guide: plain ASCII, Windows line ends, only files the release holds ----
guide=$release/README-Windows.txt
LC_ALL=C grep -q '[^[:print:][:space:]]' "$guide" && die "$guide is not plain ASCII"
lines=$(wc -l <"$guide")
crlf=$(grep -c $'\r$' "$guide" || true)
{ [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ]; } || die "$guide: $crlf of $lines lines end in CR LF"
grep -q '@[A-Z_]*@' "$guide" && die "$guide holds an unfilled @VARIABLE@"
# A name is a word that ends in a file extension (flightmfd.exe, config.xml);
# one with slashes is a path inside the release. Named on purpose, and in no
# release:
#   config.xml.txt    what Notepad may make of config.xml; the guide says how
#                     to mend it
#   record.txt        the virtual display's record, made when the user asks
#   DirectOutput.dll  the joystick vendor's library, in its debugger line
#   flightmfd-<version>-win32.zip and its .sha256: the download, beside the
#                     folder
not_in_release='^(config\.xml\.txt|record\.txt|DirectOutput\.dll|flightmfd-[0-9.]+-win32\.zip(\.sha256)?)$'
names=$(tr -d '\r' <"$guide" |
    grep -oE '[A-Za-z0-9_][A-Za-z0-9_./-]*\.(exe|dll|xml|txt|md|zip|sha256|bat|cmd|ps1|log)\b' |
    LC_ALL=C sort -u)
[ -n "$names" ] || die "$guide names no file at all"
missing=()
while read -r name; do
    [[ $name =~ $not_in_release ]] && continue
    [ -f "$release/$name" ] || missing+=("$name")
done <<<"$names"
((${#missing[@]} == 0)) || die "$guide names files that the release does not hold: ${missing[*]}"

# ---- The binaries, as built and as released ----
# A 32-bit program that imports only DLLs every Windows has: the static link
# leaves out the C++ runtime, the thread library and expat as DLLs.
objdump=i686-w64-mingw32-objdump
system_dlls='^(kernel32|advapi32|msvcrt|ws2_32|user32|ntdll|shell32|ole32)\.dll$'
entry_points=(AddPage Deinitialize Enumerate GetDeviceInstance GetDeviceType Initialize
    RegisterDeviceChangeCallback RegisterPageChangeCallback RegisterSoftButtonChangeCallback
    RemovePage SetImage SetLed SetProfile SetString)
wanted_exports=$(printf 'DirectOutput_%s\n' "${entry_points[@]}" | LC_ALL=C sort)
for dir in "$build/bin" "$release"; do
    for binary in "${binaries[@]}"; do
        headers=$($objdump -p "$dir/$binary")
        grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)$' <<<"$headers" ||
            die "$dir/$binary is not PE32"
        while read -r dll; do
            grep -Eqi "$system_dlls" <<<"$dll" || die "$dir/$binary imports $dll"
        done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
    done
    # The names the loader asks for, undecorated (no Name@N), and no others.
    exports=$($objdump -p "$dir/virtualmfd.dll" |
        sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' |
        LC_ALL=C sort)
    if [ "$exports" != "$wanted_exports" ]; then
        echo "exports:"$'\n'"$exports" >&2
        die "$dir/virtualmfd.dll does not export exactly the ${#entry_points[@]} plain entry point names"
    fi
done

# ---- What Explorer's Properties show of each release file ----
version=${folder#flightmfd-}
version=${version%-win32}
for binary in "${binaries[@]}"; do
    info=$(i686-w64-mingw32-windres -i "$release/$binary" -O rc 2>/dev/null || true)
    for field in "ProductName\", \"flightmfd\"" "ProductVersion\", \"$version\"" \
        "FileVersion\", \"$version\"" "OriginalFilename\", \"$binary\""; do
        grep -Fq "VALUE \"$field" <<<"$info" || die "$binary does not carry $field"
    done
    grep -Eq 'VALUE "FileDescription", "[^"]+"' <<<"$info" || die "$binary has no description"
done

echo "windows-package-check: $(basename "$zip") holds the ${#expected[@]} release files with" \
    "their checksum; the guide names only those; the programs are PE32, import only Windows'" \
    "DLLs and tell their version"
