#!/usr/bin/env bash
# What the win32 and win64 presets need and cannot build themselves: the
# mingw-w64 compilers and Wine (scripts/install-deps.sh windows), then static
# expat and GoogleTest for i686 and x86_64 in .cache/mingw/<triple>. A second
# run builds only what is missing or older than the installed sources. Then:
#   cmake --workflow --preset win32   build/win32, i686, the release; its tests
#                                     run where this machine runs 32-bit code
#                                     (cmake/runs-32bit.sh), else one test
#                                     reports them skipped
#   cmake --workflow --preset win64   build/win64, x86_64
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
cache=$top/.cache
triples=(i686-w64-mingw32 x86_64-w64-mingw32)
scripts/install-deps.sh windows

# Builds and installs one CMake project for one architecture; the stamp file
# records the version built, so a newer source is built again.
build_static() {  # name version source triple [cmake options...]
    local name=$1 version=$2 source=$3 triple=$4
    shift 4
    local prefix=$cache/mingw/$triple build=$cache/build/$name-$triple
    [ "$(cat "$prefix/.$name-version" 2>/dev/null)" != "$version" ] || return 0
    echo "Building $name $version for $triple"
    rm -rf "$build"
    cmake -S "$source" -B "$build" -G Ninja --log-level=WARNING \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-${triple%%-*}.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
    cmake --build "$build"
    cmake --install "$build" >/dev/null
    rm -rf "$build"
    echo "$version" >"$prefix/.$name-version"
}

# Debian's source package of expat, into .cache/src. Only the main archive
# serves sources here (the security archive's answer 404), so deb-src goes
# into the first stanza.
fetch_expat() {
    local sources=/etc/apt/sources.list.d/debian.sources sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    if ! compgen -G "$cache/src/expat-*/expat/CMakeLists.txt" >/dev/null; then
        if [ -f "$sources" ] && ! grep -q '^Types:.*deb-src' "$sources"; then
            $sudo sed -i '0,/^Types: deb$/s//Types: deb deb-src/' "$sources"
            $sudo apt-get update -qq
        elif [ ! -f "$sources" ] && ! grep -rqs '^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d; then
            local line
            line=$(grep -m1 '^deb ' /etc/apt/sources.list)
            echo "deb-src ${line#deb }" | $sudo tee -a /etc/apt/sources.list >/dev/null
            $sudo apt-get update -qq
        fi
        rm -rf "$cache/src"
        mkdir -p "$cache/src"
        (cd "$cache/src" && apt-get source -qq expat >/dev/null 2>&1) ||
            { echo "windows-deps: apt-get source expat failed" >&2 && exit 1; }
    fi
    local sources_found=("$cache"/src/expat-*/expat) dsc=("$cache"/src/expat_*.dsc)
    expat_source=${sources_found[0]}
    # Debian's patched configuration header leaves XML_DTD without a value,
    # which breaks "#if XML_DTD == ..." in the sources.
    sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$expat_source/expat_config.h.cmake"
    expat_version=$(basename "${dsc[0]}" .dsc)
    expat_version=${expat_version#expat_}
}

gtest_version=$(dpkg-query -W -f='${Version}' googletest)
for triple in "${triples[@]}"; do
    # A version of expat already built stays; only a missing one is built.
    if [ ! -f "$cache/mingw/$triple/.expat-version" ]; then
        [ -n "${expat_version:-}" ] || fetch_expat
        build_static expat "$expat_version" "$expat_source" "$triple" \
            -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF \
            -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF
    fi
    build_static googletest "$gtest_version" /usr/src/googletest "$triple" \
        -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
done
