#!/usr/bin/env bash
# Installs what the Windows cross-build needs, when missing: Debian's mingw-w64
# compilers (posix thread model), Wine (with 32-bit Wine, wine32:i386, where
# this machine runs 32-bit code), tmux (a console for the programs under
# Wine), the GoogleTest sources, and builds
# static expat and GoogleTest for i686 and x86_64 into .cache/mingw/<triple>.
# A second run finds everything in place and returns within a second or two.
# Works as root or through sudo, with or without a terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
cache=$top/.cache
triples=(i686-w64-mingw32 x86_64-w64-mingw32)

scripts/install-deps.sh g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
    wine wine64 tmux googletest dpkg-dev

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# 32-bit Wine runs the release build; the probe needs the assembler and the
# linker that came with the compilers above.
source "$top/scripts/wine-common.sh"
if runs_32bit; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "Adding the i386 architecture for 32-bit Wine"
        $sudo dpkg --add-architecture i386
    fi
    # install-deps.sh updates the package lists before it installs.
    scripts/install-deps.sh wine32:i386
fi

toolchain() {
    case $1 in
        i686-*) echo "$top/cmake/mingw-i686.cmake" ;;
        x86_64-*) echo "$top/cmake/mingw-x86_64.cmake" ;;
    esac
}

# Builds and installs one CMake project for one architecture; the stamp file
# records the version built, so a newer source is built again.
build_static() {  # name version source triple [cmake options...]
    local name=$1 version=$2 source=$3 triple=$4
    shift 4
    local prefix=$cache/mingw/$triple
    local stamp=$prefix/.$name-version
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ]; then
        return
    fi
    echo "Building $name $version for $triple"
    local build=$cache/build/$name-$triple
    rm -rf "$build"
    cmake -S "$source" -B "$build" -G Ninja --log-level=WARNING \
        -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$triple")" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
    cmake --build "$build"
    cmake --install "$build" >/dev/null
    rm -rf "$build"
    echo "$version" >"$stamp"
}

# Debian's source package of expat. Only the main archive serves sources here
# (the security archive's answer 404), so deb-src goes into the first stanza.
fetch_expat() {
    local sources=/etc/apt/sources.list.d/debian.sources
    if ! ls "$cache"/src/expat-*/expat/CMakeLists.txt >/dev/null 2>&1; then
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
        (cd "$cache/src" && apt-get source -qq expat >/dev/null 2>&1) || {
            echo "apt-get source expat failed" >&2
            exit 1
        }
    fi
    expat_source=$(ls -d "$cache"/src/expat-*/expat | head -n1)
    # Debian's patched configuration header leaves XML_DTD without a value,
    # which breaks "#if XML_DTD == ..." in the sources.
    sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$expat_source/expat_config.h.cmake"
    local dsc
    dsc=$(ls "$cache"/src/expat_*.dsc | head -n1)
    expat_version=$(basename "$dsc" .dsc)
    expat_version=${expat_version#expat_}
}

expat_needed=false
for triple in "${triples[@]}"; do
    [ -f "$cache/mingw/$triple/.expat-version" ] || expat_needed=true
done
if $expat_needed; then
    fetch_expat
    for triple in "${triples[@]}"; do
        # A version already built stays; only a missing one is built.
        stamp=$cache/mingw/$triple/.expat-version
        [ -f "$stamp" ] && continue
        build_static expat "$expat_version" "$expat_source" "$triple" \
            -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF \
            -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF
    done
fi

gtest_version=$(dpkg-query -W -f='${Version}' googletest)
for triple in "${triples[@]}"; do
    build_static googletest "$gtest_version" /usr/src/googletest "$triple" \
        -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
done
