#!/usr/bin/env bash
# Checks the Windows guide in an unpacked release folder:
#   scripts/windows-guide-check.sh FOLDER
# README-Windows.txt is there, plain ASCII with Windows line ends (which every
# Notepad shows), and every file it names is in FOLDER, save the few that it
# names on purpose and that no release holds. A name is a word that ends in
# a file extension (flightmfd.exe, config.xml); one with slashes is a path
# inside FOLDER.
set -euo pipefail
folder=${1:?usage: windows-guide-check.sh FOLDER}
guide=$folder/README-Windows.txt
fail() {
    echo "windows-guide-check: FAILED: $*" >&2
    exit 1
}
[ -f "$guide" ] || fail "no README-Windows.txt in $folder"

LC_ALL=C grep -q '[^[:print:][:space:]]' "$guide" && fail "$guide is not plain ASCII"
lines=$(wc -l <"$guide")
crlf=$(grep -c $'\r$' "$guide" || true)
[ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "$guide: $crlf of $lines lines end in CR LF"
grep -q '@[A-Z_]*@' "$guide" && fail "$guide holds an unfilled @VARIABLE@"

# Named on purpose, and in no release:
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
[ -n "$names" ] || fail "$guide names no file at all"
checked=() missing=()
while read -r name; do
    [[ $name =~ $not_in_release ]] && continue
    checked+=("$name")
    [ -f "$folder/$name" ] || missing+=("$name")
done <<<"$names"
((${#missing[@]} == 0)) || fail "$guide names files that $folder does not hold: ${missing[*]}"
echo "windows-guide-check: every file that the guide names is in the release: ${checked[*]}"
