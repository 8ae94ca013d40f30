#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it: the files it
# holds, and that the preview unpacked from it passes the sample
# configuration unpacked from it.
#
#   scripts/package-check.sh [BUILD_FOLDER]     (build by default, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/helpers.sh
build=$(cd "${1:-build}" && pwd)

# dpkg-shlibdeps, which works out the package's dependencies.
scripts/install-deps.sh dpkg-dev

out=$build/package
rm -rf "$out"
log=$build/package-cpack.log
(cd "$build" && cpack -G DEB -B "$out" >"$log" 2>&1) || { cat "$log" >&2; die "cpack failed"; }
debs=("$out"/flightmfd_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || die "cpack made no package"

expected=(
    ./usr/bin/flightmfd
    ./usr/bin/flightmfd-sim
    ./usr/bin/flightmfd-preview
    ./usr/lib/flightmfd/libvirtualmfd.so
    ./usr/share/flightmfd/config.xml
    ./usr/share/doc/flightmfd/README.md
)
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
failed=false
for file in "${expected[@]}"; do
    grep -qxF "$file" <<<"$contents" || fail "$file is not in $(basename "$deb")"
done
$failed && exit 1

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
status=0
"$scratch/usr/bin/flightmfd-preview" "$scratch/usr/share/flightmfd/config.xml" \
    >"$scratch/preview.txt" 2>&1 || status=$?
if ((status != 0)); then
    show "$scratch/preview.txt"
    die "the unpacked preview exited with $status on the unpacked sample"
fi
echo "package-check: $(basename "$deb") holds all ${#expected[@]} files;" \
    "its preview passes its sample configuration"
